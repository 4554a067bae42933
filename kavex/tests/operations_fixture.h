// The fixture of the terminal operations' unit tests: a direct RS232 line with terminal 0
// selected, a temporary folder for local files, and the file-transfer state put back after
// each test (record keys, injected file faults, record limits, the Ovrid model).
#pragma once

#include "kavex_fixture.h"
#include "library_state.h"
#include "local_records.h"
#include "temporary_files.h"

namespace kavex_test {

class OperationsTest : public KavexLineTest {
protected:
    void SetUp() override {
        KavexLineTest::SetUp();
        open(3);
        ASSERT_EQ(ChgTerminal(0), 0);
        mark();
    }
    void TearDown() override {
        SetKeyRec(0);
        kavex::injectLocalFileFaults({});
        kavex::state().recordLimits = {};
        kavex::state().ovridFlag = false;
        KavexLineTest::TearDown();
    }

    TemporaryFolder folder;
};

}  // namespace kavex_test
