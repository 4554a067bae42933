// Every export of libselvoc.so called through its C interface with bad input (null texts,
// over-long texts, out-of-range and extreme numbers) without a port, on a wired line opened with
// InitSlv and with InitNET, and on a radio line, against the simulated bus over a
// pseudo-terminal: no crash, the result the header gives, nothing written outside the text
// buffer, and the line still carries a poll afterwards.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "abi_exports.h"
#include "guarded_buffer.h"
#include "selvoc.h"
#include "sim/bus_station.h"
#include "sim/pty_link.h"
#include "sim/radio_modem.h"
#include "sim/selvo_bus.h"

namespace {

using abi_test::GuardedBuffer;

constexpr int32_t kPort = 6;
constexpr int32_t kMissingPort = 499;  // no device file behind it
constexpr int32_t kSlowLine = 3;       // first replies awaited 9 ticks: room for the simulator
constexpr int32_t kRadioLine = 8;
constexpr int32_t kMaxAddress = 8;     // PollAll polls 1-8
constexpr int32_t kStation = 7;        // answers polls, with a message when one is queued
constexpr int32_t kOverlongStation = 9;

enum class Line { None, Wired, Net, Radio };

std::string lineName(Line line) {
    switch (line) {
        case Line::None: return "NoPort";
        case Line::Wired: return "WiredInitSlv";
        case Line::Net: return "WiredInitNET";
        case Line::Radio: return "Radio";
    }
    return "";
}

void PrintTo(Line line, std::ostream* out) { *out << lineName(line); }

// What a case needs besides its arguments: a text buffer with guards and the simulated stations.
struct Probe {
    GuardedBuffer text{SELVOC_TEXT_SIZE};
    sim::QueueStation& station;
    sim::QueueStation& overlongStation;
};

using Expected = std::function<std::optional<int32_t>(Line)>;

struct DriverCase {
    const char* exportName;
    std::string input;
    std::function<int32_t(Probe&)> call;
    Expected expected;  // nullopt: not run on that line
};

Expected always(int32_t result) {
    return [=](Line) { return std::optional<int32_t>(result); };
}

// `closed` without a port, `open` on every line.
Expected byPort(int32_t closed, int32_t open) {
    return [=](Line line) { return std::optional<int32_t>(line == Line::None ? closed : open); };
}

Expected onlyOpen(int32_t open) {
    return [=](Line line) {
        return line == Line::None ? std::nullopt : std::optional<int32_t>(open);
    };
}

Expected onlyOn(Line only, int32_t result) {
    return [=](Line line) { return line == only ? std::optional<int32_t>(result) : std::nullopt; };
}

std::string repeated(size_t count, char c = 'A') { return std::string(count, c); }

const std::string kLongText = repeated(64 * 1024);

std::vector<DriverCase> startUpCases() {
    std::vector<DriverCase> cases;
    struct BadStart {
        const char* input;
        int32_t port, lineKind, maxAddress;
    };
    const BadStart bad[] = {
        {"port 0", 0, kSlowLine, 8},          {"port -1", -1, kSlowLine, 8},
        {"port 501", 501, kSlowLine, 8},      {"port INT_MAX", INT_MAX, kSlowLine, 8},
        {"port INT_MIN", INT_MIN, kSlowLine, 8},
        {"line kind 4", kPort, 4, 8},         {"line kind 7", kPort, 7, 8},
        {"line kind 9", kPort, 9, 8},         {"line kind -1", kPort, -1, 8},
        {"line kind INT_MAX", kPort, INT_MAX, 8}, {"line kind INT_MIN", kPort, INT_MIN, 8},
        {"maxAddress 0", kPort, kSlowLine, 0},  {"maxAddress 255", kPort, kSlowLine, 255},
        {"maxAddress -1", kPort, kSlowLine, -1},
        {"maxAddress INT_MAX", kPort, kSlowLine, INT_MAX},
        {"maxAddress INT_MIN", kPort, kSlowLine, INT_MIN},
    };
    // The arguments are checked before the open port: -1 on every line.
    for (const BadStart& b : bad) {
        cases.push_back({"InitSlv", b.input,
                         [b](Probe&) { return InitSlv(b.port, b.lineKind, b.maxAddress, INT_MIN); },
                         always(-1)});
        cases.push_back({"InitNET", b.input,
                         [b](Probe&) { return InitNET(b.port, b.lineKind, b.maxAddress, INT_MAX); },
                         always(-1)});
    }
    cases.push_back({"InitSlv", "a port with no device behind it",
                     [](Probe&) { return InitSlv(kMissingPort, kSlowLine, 8, 0); },
                     byPort(-2, -3)});
    cases.push_back({"InitNET", "a port with no device behind it",
                     [](Probe&) { return InitNET(kMissingPort, kSlowLine, 8, 0); },
                     byPort(-2, -3)});
    cases.push_back({"hComId", "after a start-up on a port with no device",
                     [](Probe&) {
                         InitSlv(kMissingPort, kSlowLine, 8, 0);
                         return hComId;
                     },
                     onlyOn(Line::None, -1)});
    cases.push_back({"hComId", "while a port is open: the handle GetCOMHandle reports",
                     [](Probe&) { return hComId >= 0 && hComId == GetCOMHandle() ? 1 : 0; },
                     onlyOpen(1)});
    return cases;
}

std::vector<DriverCase> speedAndCloseCases() {
    std::vector<DriverCase> cases;
    for (const int32_t index : {-1, 4, INT_MAX, INT_MIN}) {
        const std::string input = "speed index " + std::to_string(index);
        cases.push_back({"ChgSpeedSlv", input,
                         [index](Probe&) { return ChgSpeedSlv(index); }, byPort(-3, -1)});
        cases.push_back({"ChgSpeedNET", input,
                         [index](Probe&) { return ChgSpeedNET(index); }, byPort(-3, -1)});
    }
    cases.push_back({"ResetSlv", "no port open", [](Probe&) { return ResetSlv(); },
                     onlyOn(Line::None, -1)});
    cases.push_back({"ResetNET", "no port open", [](Probe&) { return ResetNET(); },
                     onlyOn(Line::None, -1)});
    // Every case without a port runs after a start-up and its ResetSlv.
    cases.push_back({"GetCOMHandle", "after ResetSlv", [](Probe&) { return GetCOMHandle(); },
                     onlyOn(Line::None, -1)});
    cases.push_back({"GetCOMHandle", "while a port is open",
                     [](Probe&) { return GetCOMHandle() > 0 ? 1 : GetCOMHandle(); },
                     onlyOpen(1)});
    cases.push_back({"RetryNum", "no port open", [](Probe&) { return RetryNum(); },
                     onlyOn(Line::None, -3)});
    cases.push_back({"RetryNum", "after a poll", [](Probe& p) {
                         PollTerm(kStation, p.text.data());
                         return RetryNum();
                     },
                     onlyOpen(0)});
    return cases;
}

std::vector<DriverCase> pollCases() {
    std::vector<DriverCase> cases;
    // A null text is refused before the port is looked at.
    cases.push_back({"PollTerm", "null text", [](Probe&) { return PollTerm(kStation, nullptr); },
                     always(-1)});
    cases.push_back({"PollTerm", "null text, address 0", [](Probe&) { return PollTerm(0, nullptr); },
                     always(-1)});
    for (const int32_t address : {0, 256, -1, INT_MAX, INT_MIN}) {
        cases.push_back({"PollTerm", "address " + std::to_string(address),
                         [address](Probe& p) { return PollTerm(address, p.text.data()); },
                         byPort(-3, -1)});
    }
    cases.push_back({"PollTerm", "a message of the longest text, 121 characters",
                     [](Probe& p) {
                         p.station.queue(repeated(120, 'M'));
                         const int32_t result = PollTerm(kStation, p.text.data());
                         EXPECT_EQ(p.text.text(), "\x07" + repeated(120, 'M'));
                         return result;
                     },
                     onlyOpen(2)});
    cases.push_back({"PollTerm", "a message one byte longer than a text holds",
                     [](Probe& p) {
                         // The 123 bytes read after "T" end with the checksum, which matches:
                         // the text is taken up to the byte before it, 121 characters.
                         p.station.queue(repeated(121, 'L'));
                         const int32_t result = PollTerm(kStation, p.text.data());
                         EXPECT_EQ(p.text.text(), "\x07" + repeated(120, 'L'));
                         return result;
                     },
                     onlyOpen(2)});
    cases.push_back({"PollTerm", "a message far longer than a frame, asked for again ten times",
                     [](Probe& p) {
                         p.overlongStation.queue(repeated(300, 'A'));
                         const int32_t result = PollTerm(kOverlongStation, p.text.data());
                         EXPECT_TRUE(p.text.untouched()) << "no text is delivered";
                         EXPECT_EQ(RetryNum(), 10);
                         return result;
                     },
                     onlyOn(Line::Radio, -1)});
    cases.push_back({"PollAll", "null text", [](Probe&) { return PollAll(nullptr); },
                     byPort(-3, -1)});
    cases.push_back({"PollAll", "no port open", [](Probe& p) { return PollAll(p.text.data()); },
                     onlyOn(Line::None, -3)});
    cases.push_back({"PollAll", "a message of the longest text",
                     [](Probe& p) {
                         p.station.queue(repeated(120, 'P'));
                         return PollAll(p.text.data());
                     },
                     onlyOpen(kStation)});
    return cases;
}

std::vector<DriverCase> messageCases() {
    std::vector<DriverCase> cases;
    for (const int32_t address : {-1, 256, INT_MAX, INT_MIN}) {
        cases.push_back({"SendMsg", "address " + std::to_string(address),
                         [address](Probe&) { return SendMsg(address, "@TIME"); }, byPort(-3, -1)});
    }
    cases.push_back({"SendMsg", "text of 121 characters",
                     [](Probe&) { return SendMsg(kStation, repeated(121).c_str()); },
                     byPort(-3, -1)});
    cases.push_back({"SendMsg", "text of 64 KiB",
                     [](Probe&) { return SendMsg(kStation, kLongText.c_str()); }, byPort(-3, -1)});
    cases.push_back({"SendMsg", "text of 64 KiB to every terminal",
                     [](Probe&) { return SendMsg(0, kLongText.c_str()); }, byPort(-3, -1)});
    cases.push_back({"SendMsg", "null text, sent as an empty one",
                     [](Probe& p) {
                         const int32_t result = SendMsg(kStation, nullptr);
                         if (result == 0) {
                             EXPECT_EQ(p.station.received().back(), "");
                         }
                         return result;
                     },
                     byPort(-3, 0)});
    cases.push_back({"SendMsg", "null text to every terminal",
                     [](Probe&) { return SendMsg(0, nullptr); }, byPort(-3, 0)});
    cases.push_back({"SendMsg", "text of exactly 120 characters",
                     [](Probe&) { return SendMsg(kStation, repeated(120).c_str()); },
                     byPort(-3, 0)});
    return cases;
}

std::vector<DriverCase> allCases() {
    std::vector<DriverCase> cases;
    for (auto part : {startUpCases, speedAndCloseCases, pollCases, messageCases}) {
        for (DriverCase& c : part()) cases.push_back(std::move(c));
    }
    return cases;
}

// The simulated bus with its stations on COM<kPort> of a temporary COM_PORT_DIR, and the driver
// in the state of one line: no port (after a start-up and its ResetSlv), or open.
class DriverOnLine : public ::testing::TestWithParam<Line> {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/selvoc-abi-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        setenv("COM_PORT_DIR", folder_.c_str(), 1);
        bus_->attach(kStation, station_);
        bus_->attach(kOverlongStation, overlongStation_);
        std::shared_ptr<sim::LineDevice> device = bus_;
        if (GetParam() == Line::Radio) device = std::make_shared<sim::RadioModem>(bus_);
        link_ = std::make_unique<sim::PtyLink>(folder_, kPort, device);
        link_->start();
        open();
    }

    void TearDown() override {
        ResetSlv();
        link_.reset();
        unsetenv("COM_PORT_DIR");
        rmdir(folder_.c_str());
    }

    void open() {
        switch (GetParam()) {
            case Line::None:
                ASSERT_EQ(InitSlv(kPort, kSlowLine, kMaxAddress, 0), 1);
                ASSERT_EQ(ResetSlv(), 0);
                break;
            case Line::Wired:
                ASSERT_EQ(InitSlv(kPort, kSlowLine, kMaxAddress, 0), 1);
                break;
            case Line::Net:
                // InitNET keeps the line kind of the start-up before it: make that a wired one.
                ASSERT_EQ(InitSlv(kPort, kSlowLine, kMaxAddress, 0), 1);
                ASSERT_EQ(ResetSlv(), 0);
                ASSERT_EQ(InitNET(kPort, kSlowLine, kMaxAddress, 0), 1);
                break;
            case Line::Radio:
                ASSERT_EQ(InitSlv(kPort, kRadioLine, kMaxAddress, 0), 1);
                break;
        }
        // The bus knows the start-up's echo probe by the quiet after it.
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }

    // The line still carries a poll: the station answers that it has nothing to deliver.
    void expectLineWorks() {
        if (GetParam() == Line::None) return;
        char text[SELVOC_TEXT_SIZE];
        EXPECT_EQ(PollTerm(kStation, text), 1) << "the line no longer carries a poll";
    }

    std::string folder_;
    std::shared_ptr<sim::SelvoBus> bus_ = std::make_shared<sim::SelvoBus>();
    std::shared_ptr<sim::QueueStation> station_ = std::make_shared<sim::QueueStation>();
    std::shared_ptr<sim::QueueStation> overlongStation_ = std::make_shared<sim::QueueStation>();
    std::unique_ptr<sim::PtyLink> link_;
};

TEST_P(DriverOnLine, EveryExportRefusesBadInputAndWritesOnlyItsBuffer) {
    int run = 0;
    for (const DriverCase& c : allCases()) {
        const std::optional<int32_t> expected = c.expected(GetParam());
        if (!expected) continue;
        SCOPED_TRACE(std::string(c.exportName) + ": " + c.input);
        Probe probe{.station = *station_, .overlongStation = *overlongStation_};
        EXPECT_EQ(c.call(probe), *expected);
        EXPECT_TRUE(probe.text.guardsIntact()) << "written outside the text buffer";
        expectLineWorks();
        ++run;
    }
    EXPECT_GT(run, 0);
    RecordProperty("cases", run);
}

INSTANTIATE_TEST_SUITE_P(Selvoc, DriverOnLine,
                         ::testing::Values(Line::None, Line::Wired, Line::Net, Line::Radio),
                         [](const auto& tested) { return lineName(tested.param); });

// The header, the shared library and the case table name the same exports.
TEST(DriverExports, EveryExportHasCases) {
    const std::set<std::string> declared =
        abi_test::declaredExports(SELVOC_HEADER_FILE, "SELVOC_API");
    const std::set<std::string> exported = abi_test::exportedCNames(SELVOC_LIBRARY_FILE);
    std::set<std::string> covered;
    const std::vector<DriverCase> cases = allCases();
    for (const DriverCase& c : cases) covered.insert(c.exportName);
    RecordProperty("cases", static_cast<int>(cases.size()));
    EXPECT_GE(declared.size(), 12u) << "the header was not read";
    EXPECT_EQ(exported, declared) << "the library and its header disagree";
    EXPECT_EQ(covered, declared) << "an export without bad-input cases, or a case of no export";
}

}  // namespace
