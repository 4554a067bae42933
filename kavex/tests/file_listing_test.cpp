// ListFiles and DeleFile on a direct RS232 line: the listing commands, the single-file answer,
// the end line's count, the bound of the caller's buffer, and deleting.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "operations_fixture.h"
#include "transfer_script.h"

namespace kavex_test {
namespace {

class ListingTest : public OperationsTest {
protected:
    void SetUp() override {
        OperationsTest::SetUp();
        script.paced = false;  // listings are sent at once
        terminal.handler = script.handler();
        std::memset(entries, 'm', sizeof entries);
    }
    // Slot i as a text, up to its zero or its end.
    std::string slot(size_t i) const {
        const char* at = entries + KAVEX_LIST_ENTRY_SIZE * i;
        return {at, strnlen(at, KAVEX_LIST_ENTRY_SIZE)};
    }
    // A listing of `names` with sizes 10, 11, ... and the end line `count` (default: right).
    static Lines listing(const std::string& head, const Lines& names, int count = -1) {
        Lines lines{head};
        for (size_t i = 0; i < names.size(); ++i) {
            lines.push_back(names[i] + std::string(8 - names[i].size(), ' ') + " " +
                            std::to_string(10 + i));
        }
        lines.push_back("\x04" + std::to_string(count < 0 ? names.size() : count));
        return lines;
    }

    TransferScript script;
    char entries[KAVEX_LIST_BUFFER_SIZE + 16];
};

TEST_F(ListingTest, AllFilesOrAPatternFillOneSlotPerLine) {
    const struct {
        const char* name;
        const char* pattern;
        const char* command;
    } cases[] = {{"null", nullptr, "@DIR"}, {"empty", "", "@DIR"}, {"pattern", "PRE4", "@DIR PRE4"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        script.on(c.command, listing(c.command, {"PRE40315", "CFGS", "A"}));
        mark();
        EXPECT_EQ(ListFiles(c.pattern, entries), 3) << errorText();
        EXPECT_EQ(sentSinceMark(), std::string(c.command) + "\r");
        EXPECT_EQ(slot(0), "PRE40315 10");
        EXPECT_EQ(slot(1), "CFGS     11");
        EXPECT_EQ(slot(2), "A        12");
        EXPECT_EQ(slot(3)[0], 'm');
    }
    script.on("@DIR", listing("@DIR", {}));
    EXPECT_EQ(ListFiles(nullptr, entries), 0);
    EXPECT_EQ(errorCode(), 0);
}

TEST_F(ListingTest, AWholeNameIsAnsweredByTheFirstReplyExceptOnTheOvridModel) {
    script.on("@DIR PRE40315", {"@DIR PRE40315 120"});
    EXPECT_EQ(ListFiles("PRE40315", entries), 1) << errorText();
    EXPECT_EQ(slot(0), "PRE40315 120");
    EXPECT_EQ(slot(1)[0], 'm');

    std::memset(entries, 'm', sizeof entries);
    script.on("@DIR PRE40316", {"@DIR PRE40316 ?*"});
    EXPECT_EQ(ListFiles("PRE40316", entries), 0);
    EXPECT_EQ(entries[0], 'm') << "untouched";

    kavex::state().ovridFlag = true;
    script.on("@DIR PRE40315", listing("@DIR PRE40315", {"PRE40315"}));
    EXPECT_EQ(ListFiles("PRE40315", entries), 1) << errorText();
    EXPECT_EQ(slot(0), "PRE40315 10");
}

TEST_F(ListingTest, RefusedListings) {
    const struct {
        const char* name;
        Lines answer;
        int32_t error;
    } cases[] = {
        {"another reply", {"@TIME 120000"}, 52},
        {"short reply", {"@D"}, 52},
        {"count too high", listing("@DIR", {"A", "B"}, 3), 54},
        {"count too low", listing("@DIR", {"A", "B"}, 1), 54},
        {"no end line", {"@DIR", "A        1"}, 40},
        {"no answer", {}, 40},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        script.on("@DIR", c.answer);
        EXPECT_EQ(ListFiles("", entries), -1);
        EXPECT_EQ(errorCode(), c.error);
    }
}

TEST_F(ListingTest, ArgumentChecks) {
    EXPECT_EQ(ListFiles("ABCDEFGHI", entries), -1);
    EXPECT_EQ(errorCode(), 3);
    EXPECT_EQ(ListFiles("", nullptr), -1);
    EXPECT_EQ(errorCode(), 3);
    ExitCOMM();
    EXPECT_EQ(ListFiles("", nullptr), -1);
    EXPECT_EQ(errorCode(), 2) << "the device is checked first";
    open(3);
    EXPECT_EQ(ListFiles("", entries), -1);
    EXPECT_EQ(errorCode(), 4);
    EXPECT_EQ(sentSinceMark(), "");
}

TEST_F(ListingTest, LongLinesAreCutToTheirSlotAndTheBufferIsNeverOverrun) {
    Lines names;
    for (int i = 0; i < KAVEX_LIST_MAX_ENTRIES; ++i) names.push_back("F" + std::to_string(i));
    Lines full = listing("@DIR", names);
    full[1] = "A-NAME-LONGER-THAN-ITS-SLOT 123";
    script.on("@DIR", full);
    EXPECT_EQ(ListFiles(nullptr, entries), KAVEX_LIST_MAX_ENTRIES) << errorText();
    EXPECT_EQ(slot(0), "A-NAME-LONGER-T");
    EXPECT_EQ(slot(511), "F511     521");
    for (size_t i = KAVEX_LIST_BUFFER_SIZE; i < sizeof entries; ++i) ASSERT_EQ(entries[i], 'm');

    names.push_back("EXTRA");
    script.on("@DIR", listing("@DIR", names));
    terminal.lines.clear();
    EXPECT_EQ(ListFiles(nullptr, entries), -1);
    EXPECT_EQ(errorCode(), 53);
    EXPECT_EQ(terminal.lines.back(), "\x04") << "the rest of the listing is stopped";
    for (size_t i = KAVEX_LIST_BUFFER_SIZE; i < sizeof entries; ++i) ASSERT_EQ(entries[i], 'm');
}

TEST_F(ListingTest, DeleFileNeedsTheExactEcho) {
    terminal.handler = [](const std::string& l) {
        return std::optional<std::string>(l == "@DEL GONE" ? "@DEL GONE ?*" : l);
    };
    EXPECT_EQ(DeleFile("PRE40315"), 0) << errorText();
    EXPECT_EQ(sentSinceMark(), "@DEL PRE40315\r");
    EXPECT_EQ(DeleFile("GONE"), -1);
    EXPECT_EQ(errorText(), "Del command ignored: <@DEL GONE ?*>");
    const struct {
        const char* name;
        const char* file;
        int32_t error;
    } refused[] = {{"null", nullptr, 3}, {"empty", "", 3}, {"nine", "ABCDEFGHI", 3}};
    for (const auto& r : refused) {
        SCOPED_TRACE(r.name);
        mark();
        EXPECT_EQ(DeleFile(r.file), -1);
        EXPECT_EQ(errorCode(), r.error);
        EXPECT_EQ(sentSinceMark(), "");
    }
    ExitCOMM();
    EXPECT_EQ(DeleFile("A"), -1);
    EXPECT_EQ(errorCode(), 2);
}

}  // namespace
}  // namespace kavex_test
