// The local files of the transfers: the record reader's line-end, 0x1A and length rules, and
// the written file's record lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kavex.h"
#include "library_state.h"
#include "local_records.h"
#include "temporary_files.h"

namespace kavex_test {
namespace {

using namespace std::string_literals;
using Lines = std::vector<std::string>;

struct ReadOutcome {
    Lines records;
    std::vector<int32_t> results;  // every result, the last one 0 or -1
    int32_t error = 0;
};

ReadOutcome readAll(const std::string& bytes) {
    TemporaryFolder folder;
    const std::string path = folder.file("records.txt");
    writeBytes(path, bytes);
    std::unique_ptr<kavex::LocalFile> file = kavex::LocalFile::openForReading(path);
    if (!file) throw std::runtime_error("cannot open the sample");
    kavex::RecordReader reader(*file);
    ReadOutcome outcome;
    kavex::state().lastError = 0;
    for (;;) {
        std::string record;
        const int32_t result = reader.next(record);
        outcome.results.push_back(result);
        if (result <= 0) break;
        outcome.records.push_back(record);
    }
    outcome.error = kavex::state().lastError;
    return outcome;
}

TEST(RecordReader, LineEndsEndOfFileMarksAndLengths) {
    const std::string longest(127, 'x');
    const struct {
        const char* name;
        std::string bytes;
        Lines records;
        std::vector<int32_t> results;
        int32_t error;
    } cases[] = {
        {"empty file", "", {}, {0}, 0},
        {"CR LF", "AB\r\nC\r\n", {"AB", "C"}, {2, 1, 0}, 0},
        {"CR only", "AB\rC\r", {"AB", "C"}, {2, 1, 0}, 0},
        {"last line without an end", "AB\r\nCD", {"AB", "CD"}, {2, 2, 0}, 0},
        {"LF only joins lines", "AB\nCD\n", {"AB\nCD\n"}, {6, 0}, 0},
        {"empty records count", "\r\n\r\nX\r\n", {"", "", "X"}, {1, 1, 1, 0}, 0},
        {"LF at the start skipped", "\n\nA\r", {"A"}, {1, 0}, 0},
        {"0x1A ends a record", "AB\x1A" "CD\r", {"AB", "CD"}, {2, 2, 0}, 0},
        {"0x1A at the start ends the file", "AB\r\n\x1A" "CD\r\n", {"AB"}, {2, 0}, 0},
        {"0x1A after a skipped LF", "AB\r\n\x1A", {"AB"}, {2, 0}, 0},
        {"NUL and high bytes kept", "A\0\xE9\r"s, {"A\0\xE9"s}, {3, 0}, 0},
        {"127 characters", longest + "\r\n", {longest}, {127, 0}, 0},
        {"128 characters", "OK\r\n" + longest + "y\r\n", {"OK"}, {2, -1}, 57},
        {"128 characters at the end", longest + "y", {}, {-1}, 57},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ReadOutcome outcome = readAll(c.bytes);
        EXPECT_EQ(outcome.records, c.records);
        EXPECT_EQ(outcome.results, c.results);
        EXPECT_EQ(outcome.error, c.error);
    }
}

TEST(RecordReader, AFailedReadIsError58) {
    TemporaryFolder folder;
    writeBytes(folder.file("f"), "ONE\r\nTWO\r\n");
    std::unique_ptr<kavex::LocalFile> file = kavex::LocalFile::openForReading(folder.file("f"));
    ASSERT_TRUE(file);
    kavex::injectLocalFileFaults({.readsBeforeFailure = 0});
    kavex::RecordReader reader(*file);
    std::string record;
    EXPECT_EQ(reader.next(record), -1);
    EXPECT_EQ(kavex::state().lastError, 58);
    kavex::injectLocalFileFaults({});
}

TEST(LocalFile, CreatedAnewWithCrLfPerRecordAndDeletedOnDiscard) {
    TemporaryFolder folder;
    const std::string path = folder.file("out");
    writeBytes(path, "an older and longer content");
    {
        std::unique_ptr<kavex::LocalFile> file = kavex::LocalFile::create(path);
        ASSERT_TRUE(file);
        EXPECT_FALSE(kavex::LocalFile::create(path)) << "not shared while open";
        EXPECT_TRUE(file->writeRecord("A"));
        EXPECT_TRUE(file->writeRecord(""));
        EXPECT_TRUE(file->close());
    }
    EXPECT_EQ(readBytes(path), "A\r\n\r\n");
    std::unique_ptr<kavex::LocalFile> file = kavex::LocalFile::create(path);
    ASSERT_TRUE(file);
    file->discard();
    EXPECT_FALSE(fileExists(path));
    EXPECT_FALSE(kavex::LocalFile::create(folder.file("missing/out")));
    EXPECT_FALSE(kavex::LocalFile::openForReading(folder.file("missing")));
    EXPECT_FALSE(kavex::LocalFile::openForReading(folder.file(""))) << "a folder";
}

}  // namespace
}  // namespace kavex_test
