#include "kavex_fixture.h"

#include "platform/clock.h"

namespace kavex_test {

void KavexLineTest::SetUp() {
    platform::openPortsOnMemoryLine(line);
    Set232TimeOut(1);
}

void KavexLineTest::TearDown() {
    line->refuseClose = false;
    line->refusePurge = false;
    line->refuseWrite = false;
    ExitCOMM();
    terminal.detach();
    platform::setPortOpener({});
    Set232TimeOut(10);
    SetWinSockTimeOut(7);
    PurgeRS232TimeOut(1);
}

void KavexLineTest::open(int32_t mode) {
    ASSERT_EQ(InitCOMM(1, mode, 9600, 0), 1016) << errorText();
    mark();
}

void KavexLineTest::mark() { mark_ = line->sent.size(); }

std::string KavexLineTest::sentSinceMark() const { return line->sentText().substr(mark_); }

uint32_t KavexLineTest::msSince(uint32_t start) { return platform::tickCountMs() - start; }

void KavexLineTest::answerRaw(const std::string& bytes) {
    terminal.handler = [this, bytes](const std::string&) -> std::optional<std::string> {
        line->feed(bytes);
        return std::nullopt;
    };
}

}  // namespace kavex_test
