// Every export of libkavex.so called through its C interface with bad input: null pointers, empty
// and over-long texts, negative, zero and extreme numbers, and the smallest output sizes. Each
// case runs without a device, with the device of each connection mode open and no terminal
// selected, and with a terminal selected, against the simulated devices over pseudo-terminals
// and the simulated network box on 127.0.0.2: no crash, the result and error code the header
// gives, nothing written outside an output buffer, and the terminal still answers afterwards.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "abi_exports.h"
#include "guarded_buffer.h"
#include "kavex.h"
#include "sim/network_box.h"
#include "sim_session.h"

namespace {

using abi_test::GuardedBuffer;

constexpr int32_t kUntouched = INT32_MIN;  // as an expected code: the call leaves it as it was
constexpr int32_t kMissingPort = 499;      // no device file behind it
constexpr int32_t kResponseTimeout = 3;    // seconds
constexpr int32_t kWinSockTimeout = 4;     // seconds
constexpr const char* kBoxAddress = "127.0.0.2";
constexpr const char* kSmallFile = "SMALL";  // two records: "ABCDEFGH" and "IJ"
constexpr int32_t kLongParameter = 7;        // a value of 20 characters
constexpr const char* kLongValue = "ABCDEFGHIJKLMNOPQRST";

// ---- Where a case runs --------------------------------------------------------------------

enum class Phase { NoDevice, Open, Selected };

struct Link {
    const char* name;
    int32_t mode;
    int32_t baud;
    int32_t format;
    int32_t terminal;         // the number of the simulated terminal
    bool modem = false;       // behind a dial-up modem
    bool selectsBox = true;   // mode 6: the box is selected before the cases
};

// The wired bus at 9600 and 19200 baud, where the driver waits twice as long for the
// simulator's answers as at its start-up speed.
const Link kLinks[] = {
    {.name = "Selvo0", .mode = 0, .baud = 9600, .format = -1, .terminal = 12},
    {.name = "Selvo1", .mode = 1, .baud = 19200, .format = 0, .terminal = 12},
    {.name = "Selvo2", .mode = 5, .baud = 19200, .format = 0, .terminal = 3},
    {.name = "SelvoRadio", .mode = 8, .baud = 19200, .format = 0, .terminal = 12},
    {.name = "LineDriver", .mode = 2, .baud = 9600, .format = 0, .terminal = 5},
    {.name = "Rs232", .mode = 3, .baud = 9600, .format = 0, .terminal = 0},
    {.name = "Relay", .mode = 4, .baud = 9600, .format = 2, .terminal = 7},
    {.name = "Modem", .mode = 3, .baud = 9600, .format = 0, .terminal = 0, .modem = true},
    {.name = "NetworkBox", .mode = 6, .baud = 0, .format = 0, .terminal = 3},
    {.name = "NetworkBoxUnselected", .mode = 6, .baud = 0, .format = 0, .terminal = 3,
     .selectsBox = false},
};

struct Where {
    Phase phase;
    const Link* link;  // nullptr without a device

    bool device() const { return phase != Phase::NoDevice; }
    bool terminal() const { return phase == Phase::Selected; }
    int32_t mode() const { return link == nullptr ? -1 : link->mode; }
    bool selvo() const { return mode() == 0 || mode() == 1 || mode() == 5 || mode() == 8; }
    bool rs232() const { return mode() == 2 || mode() == 3 || mode() == 4; }
    bool wiredBus() const { return selvo() && mode() != 8; }
    bool box() const { return mode() == 6; }
    bool boxSelected() const { return box() && link->selectsBox; }
};

struct StateParam {
    std::string name;
    Phase phase;
    const Link* link;
};

void PrintTo(const StateParam& state, std::ostream* out) { *out << state.name; }

std::vector<StateParam> allStates() {
    std::vector<StateParam> states{{"NoDevice", Phase::NoDevice, nullptr}};
    for (const Link& link : kLinks) {
        states.push_back({std::string(link.name) + "Open", Phase::Open, &link});
        if (link.selectsBox) states.push_back({std::string(link.name) + "Selected", Phase::Selected, &link});
    }
    return states;
}

// ---- The cases ----------------------------------------------------------------------------

struct Outcome {
    int32_t result;
    int32_t code;
};

Outcome refused(int32_t code) { return {-1, code}; }
Outcome gives(int32_t result, int32_t code = 0) { return {result, code}; }

using Expected = std::function<std::optional<Outcome>(const Where&)>;

enum class Effect {
    None,
    Deselects,  // a refused selection leaves no terminal selected
    MayOpen,    // a start-up that may succeed: the device is closed again
    // A transfer ended early. On the bus and behind the box the abort sequence leaves the line
    // as it is, so a line of the abandoned transfer may still come: it is taken before the next
    // case.
    EndsTransfer,
};

// A named pipe that nobody opens. A call that waits for its other end is let go after
// kPatience, by opening both ends, and the wait is noted.
class UnopenedPipe {
public:
    static constexpr auto kPatience = std::chrono::seconds(10);

    explicit UnopenedPipe(std::string path) : path_(std::move(path)) {
        EXPECT_EQ(mkfifo(path_.c_str(), 0600), 0);
        watchdog_ = std::thread([this] { letGoAfterPatience(); });
    }

    ~UnopenedPipe() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        changed_.notify_all();
        watchdog_.join();
        for (const int fd : ends_) ::close(fd);
        ::unlink(path_.c_str());
    }

    const std::string& path() const { return path_; }
    bool waitedFor() const { return waited_; }

private:
    void letGoAfterPatience() {
        std::unique_lock lock(mutex_);
        if (changed_.wait_for(lock, kPatience, [this] { return done_; })) return;
        waited_ = true;
        ends_.push_back(::open(path_.c_str(), O_RDONLY | O_NONBLOCK));
        ends_.push_back(::open(path_.c_str(), O_WRONLY | O_NONBLOCK));
    }

    std::string path_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool done_ = false;
    std::atomic<bool> waited_{false};
    std::vector<int> ends_;
    std::thread watchdog_;
};

// Output buffers with guards, and a folder for local files, for one call.
class Probe {
public:
    explicit Probe(std::string folder) : folder_(std::move(folder)) {}

    const std::string& pipe() { return pipe_.emplace(path("pipe")).path(); }
    bool waitedOnPipe() const { return pipe_ && pipe_->waitedFor(); }

    char* out(size_t size) { return buffers_.emplace_back(size).data(); }
    GuardedBuffer& buffer(size_t i) { return buffers_.at(i); }
    std::string path(const std::string& name) const { return folder_ + "/" + name; }

    bool guardsIntact() const {
        for (const GuardedBuffer& b : buffers_) {
            if (!b.guardsIntact()) return false;
        }
        return true;
    }

private:
    std::string folder_;
    std::deque<GuardedBuffer> buffers_;
    std::optional<UnopenedPipe> pipe_;
};

struct AbiCase {
    std::string exportName;
    std::string input;
    std::function<int32_t(Probe&)> call;
    Expected expected;  // nullopt: not run there
    Effect effect = Effect::None;
};

Expected always(Outcome outcome) {
    return [=](const Where&) { return std::optional<Outcome>(outcome); };
}

// The usual checks of a terminal operation: 2 without a device, 4 without a terminal, then
// `selected` (nullopt: the case is not run with a terminal).
Expected terminalChecks(std::optional<Outcome> selected) {
    return [=](const Where& w) -> std::optional<Outcome> {
        if (!w.device()) return refused(2);
        if (!w.terminal()) return refused(4);
        return selected;
    };
}

// Only with a terminal selected, where `applies` says so.
Expected whenSelected(Outcome selected, std::function<bool(const Where&)> applies = {}) {
    return [=](const Where& w) -> std::optional<Outcome> {
        if (!w.terminal() || (applies && !applies(w))) return std::nullopt;
        return selected;
    };
}

// A network box export: 2 without a device, `elsewhere` in another mode, `onBox` in mode 6.
Expected boxExport(int32_t elsewhere, std::optional<Outcome> onBox) {
    return [=](const Where& w) -> std::optional<Outcome> {
        if (!w.device()) return refused(2);
        if (!w.box()) return refused(elsewhere);
        return onBox;
    };
}

// A modem export: 2 without a device, 5 off an RS232 line, `onLine` on one.
Expected modemExport(std::optional<Outcome> onLine) {
    return [=](const Where& w) -> std::optional<Outcome> {
        if (!w.device()) return refused(2);
        if (!w.rs232()) return refused(5);
        return onLine;
    };
}

bool numberFitsMode(const Where& w, int32_t terminal) {
    if (w.selvo() || w.mode() == 2 || w.box()) return terminal >= 1;
    if (w.mode() == 3) return terminal == 0;
    return terminal <= 31;  // mode 4
}

// SetTerminal and ChgTerminal with a number the open mode refuses; with a terminal selected only
// where `alsoSelected`, since the refusal deselects it.
Expected badSelection(int32_t terminal, bool alsoSelected) {
    return [=](const Where& w) -> std::optional<Outcome> {
        if (!w.device()) return refused(2);
        if (w.terminal() && !alsoSelected) return std::nullopt;
        if (terminal < 0 || terminal > 254) return refused(3);
        if (w.box() && !w.boxSelected()) return refused(91);
        if (numberFitsMode(w, terminal)) return std::nullopt;  // a good number: not bad input
        return refused(3);
    };
}

std::string repeated(size_t count, char c = 'A') { return std::string(count, c); }

const std::string kLongText = repeated(64 * 1024);

std::vector<AbiCase> startUpCases() {
    std::vector<AbiCase> cases;
    struct BadStart {
        const char* input;
        int32_t port, mode, baud, format;
    };
    const BadStart bad[] = {
        {"mode -1", kMissingPort, -1, 9600, 0},      {"mode 9", kMissingPort, 9, 9600, 0},
        {"mode INT_MAX", 1, INT_MAX, 9600, 0},       {"mode INT_MIN", 1, INT_MIN, 9600, 0},
        {"port 0", 0, 3, 9600, 0},                   {"port -1", -1, 3, 9600, 0},
        {"port 501", 501, 3, 9600, 0},               {"port INT_MAX", INT_MAX, 0, 0, -1},
        {"port INT_MIN", INT_MIN, 3, 9600, 0},       {"UDP port 0", 0, 6, 0, 0},
        {"UDP port INT_MIN", INT_MIN, 6, 0, 0},      {"baud -1", kMissingPort, 3, -1, 0},
        {"baud INT_MAX", kMissingPort, 3, INT_MAX, 0}, {"baud 1200 on a line driver", kMissingPort, 2, 1200, 0},
        {"baud 9600 on a radio line", kMissingPort, 8, 9600, 0},
        {"baud 1 on the network box", 1000, 6, 1, 0}, {"format 5", kMissingPort, 3, 9600, 5},
        {"format -1 on an RS232 line", kMissingPort, 3, 9600, -1},
        {"format INT_MIN", kMissingPort, 4, 9600, INT_MIN},
        {"format 1 on the bus", kMissingPort, 0, 19200, 1},
        {"format -1 on the network box", 1000, 6, 0, -1},
    };
    for (const BadStart& b : bad) {
        cases.push_back({"InitCOMM", b.input,
                         [b](Probe&) { return InitCOMM(b.port, b.mode, b.baud, b.format); },
                         [](const Where& w) { return std::optional<Outcome>(refused(w.device() ? 1 : 3)); }});
    }
    cases.push_back({"InitCOMM", "mode 7, never opened",
                     [](Probe&) { return InitCOMM(1, 7, 19200, 0); },
                     [](const Where& w) { return std::optional<Outcome>(w.device() ? refused(1) : refused(0)); }});
    struct MissingPort {
        const char* input;
        int32_t mode, baud, format, code;
    };
    const MissingPort missing[] = {
        {"bus on a port with no device", 0, 0, -1, 13},
        {"radio bus on a port with no device", 8, 19200, 0, 13},
        {"line driver on a port with no device", 2, 9600, 0, 22},
        {"RS232 line on a port with no device", 3, 9600, 0, 22},
    };
    for (const MissingPort& m : missing) {
        cases.push_back({"InitCOMM", m.input,
                         [m](Probe&) { return InitCOMM(kMissingPort, m.mode, m.baud, m.format); },
                         [m](const Where& w) { return std::optional<Outcome>(refused(w.device() ? 1 : m.code)); }});
    }
    cases.push_back({"InitCOMM", "UDP port INT_MAX, taken as 16 bits",
                     [](Probe&) { return InitCOMM(INT_MAX, 6, 0, 0); },
                     [](const Where& w) { return std::optional<Outcome>(w.device() ? refused(1) : gives(65535)); },
                     Effect::MayOpen});
    cases.push_back({"hCommId", "after an RS232 start-up on a port with no device",
                     [](Probe&) {
                         InitCOMM(kMissingPort, 3, 9600, 0);
                         return hCommId;
                     },
                     [](const Where& w) -> std::optional<Outcome> {
                         if (w.device()) return std::nullopt;
                         return refused(22);
                     }});
    cases.push_back({"hCommId", "while an RS232 line is open",
                     [](Probe&) { return hCommId >= 0 ? 1 : hCommId; },
                     [](const Where& w) -> std::optional<Outcome> {
                         if (!w.rs232()) return std::nullopt;
                         return gives(1, kUntouched);
                     }});
    return cases;
}

std::vector<AbiCase> errorAndSettingCases() {
    std::vector<AbiCase> cases;
    cases.push_back({"ExitCOMM", "no device", [](Probe&) { return ExitCOMM(); },
                     [](const Where& w) -> std::optional<Outcome> {
                         if (w.device()) return std::nullopt;
                         return refused(2);
                     }});
    cases.push_back({"GetError", "null text", [](Probe&) { return GetError(nullptr); },
                     always(refused(3))});
    for (const int32_t seconds : {0, -1, INT_MIN}) {
        const std::string input = std::to_string(seconds) + " s";
        cases.push_back({"Set232TimeOut", input,
                         [seconds](Probe&) {
                             const int32_t result = Set232TimeOut(seconds);
                             EXPECT_EQ(Get232TimeOut(), kResponseTimeout) << "kept";
                             return result;
                         },
                         always(refused(3))});
        cases.push_back({"SetSelvoTimeOut", input, [seconds](Probe&) { return SetSelvoTimeOut(seconds); },
                         always(refused(3))});
        cases.push_back({"SetWinSockTimeOut", input,
                         [seconds](Probe&) {
                             const int32_t result = SetWinSockTimeOut(seconds);
                             EXPECT_EQ(GetWinSockTimeOut(), kWinSockTimeout) << "kept";
                             return result;
                         },
                         always(refused(3))});
    }
    cases.push_back({"Set232TimeOut", "INT_MAX s",
                     [](Probe&) {
                         const int32_t result = Set232TimeOut(INT_MAX);
                         EXPECT_EQ(Get232TimeOut(), INT_MAX);
                         Set232TimeOut(kResponseTimeout);
                         return result;
                     },
                     always(gives(0))});
    cases.push_back({"SetWinSockTimeOut", "INT_MAX s, held at the longest wait in milliseconds",
                     [](Probe&) {
                         const int32_t result = SetWinSockTimeOut(INT_MAX);
                         EXPECT_EQ(GetWinSockTimeOut(), INT_MAX / 1000);
                         SetWinSockTimeOut(kWinSockTimeout);
                         return result;
                     },
                     always(gives(0))});
    cases.push_back({"Get232TimeOut", "any state", [](Probe&) { return Get232TimeOut(); },
                     always(gives(kResponseTimeout, kUntouched))});
    cases.push_back({"GetWinSockTimeOut", "any state", [](Probe&) { return GetWinSockTimeOut(); },
                     always(gives(kWinSockTimeout, kUntouched))});
    for (const int32_t seconds : {0, 21, -1, INT_MAX, INT_MIN}) {
        cases.push_back({"PurgeRS232TimeOut", std::to_string(seconds) + " s",
                         [seconds](Probe&) { return PurgeRS232TimeOut(seconds); },
                         always(refused(3))});
    }
    cases.push_back({"GetKavexVersion", "null text", [](Probe&) { return GetKavexVersion(nullptr); },
                     always(refused(3))});
    cases.push_back({"GetSelvocVersion", "null text", [](Probe&) { return GetSelvocVersion(nullptr); },
                     always(refused(3))});
    cases.push_back({"GetKavexVersion", "a buffer of KAVEX_VERSION_SIZE",
                     [](Probe& p) {
                         const int32_t result = GetKavexVersion(p.out(KAVEX_VERSION_SIZE));
                         EXPECT_EQ(p.buffer(0).text(), KAVEX_EXPECTED_VERSION);
                         return result;
                     },
                     always(gives(0))});
    cases.push_back({"GetSelvocVersion", "a buffer of KAVEX_VERSION_SIZE",
                     [](Probe& p) {
                         const int32_t result = GetSelvocVersion(p.out(KAVEX_VERSION_SIZE));
                         EXPECT_EQ(p.buffer(0).text(), KAVEX_EXPECTED_VERSION);
                         return result;
                     },
                     always(gives(0))});
    return cases;
}

std::vector<AbiCase> exchangeCases() {
    std::vector<AbiCase> cases;
    // 2 and 4 come first, then the arguments.
    cases.push_back({"SendCommand", "null command and reply",
                     [](Probe&) { return SendCommand(nullptr, nullptr); },
                     terminalChecks(refused(3))});
    cases.push_back({"SendCommand", "null reply",
                     [](Probe&) { return SendCommand("@TIME", nullptr); },
                     terminalChecks(refused(3))});
    cases.push_back({"SendCommand", "command of 128 characters",
                     [](Probe& p) { return SendCommand(repeated(128).c_str(), p.out(KAVEX_REPLY_SIZE)); },
                     terminalChecks(refused(3))});
    cases.push_back({"SendCommand", "command of 64 KiB",
                     [](Probe& p) { return SendCommand(kLongText.c_str(), p.out(KAVEX_REPLY_SIZE)); },
                     terminalChecks(refused(3))});
    cases.push_back({"SendCommand", "null command, sent as an empty one that gets no reply",
                     [](Probe& p) { return SendCommand(nullptr, p.out(KAVEX_REPLY_SIZE)); },
                     [](const Where& w) -> std::optional<Outcome> {
                         if (!w.device()) return refused(2);
                         if (!w.terminal()) return refused(4);
                         return refused(w.box() ? 79 : 40);
                     }});
    cases.push_back({"SendCommand", "command of 121 characters: too long for the bus",
                     [](Probe& p) { return SendCommand(repeated(121).c_str(), p.out(KAVEX_REPLY_SIZE)); },
                     whenSelected(refused(3), [](const Where& w) { return w.selvo(); })});
    cases.push_back({"SendCommand", "command of 121 characters, refused with a reply of 124",
                     [](Probe& p) {
                         const std::string command = repeated(121);
                         const int32_t result = SendCommand(command.c_str(), p.out(KAVEX_REPLY_SIZE));
                         if (result == 0) {
                             EXPECT_EQ(p.buffer(0).text(), command + " ??");
                         }
                         return result;
                     },
                     [](const Where& w) -> std::optional<Outcome> {
                         if (!w.terminal() || w.selvo()) return std::nullopt;
                         // Through the line driver the number and the stamp make the line 133.
                         return w.mode() == 2 ? refused(93) : gives(0);
                     }});
    // A reply of 128 characters is one too many for a reply line.
    cases.push_back({"SendCommand", "command of 125 characters, refused with a reply of 128",
                     [](Probe& p) { return SendCommand(repeated(125).c_str(), p.out(KAVEX_REPLY_SIZE)); },
                     whenSelected(refused(93), [](const Where& w) { return !w.selvo(); })});
    // Behind the box a reply of 130 makes a datagram of 136 bytes, more than the 134 the receive
    // buffer holds: the read fails as the socket library reports it (10040, message too long).
    cases.push_back({"SendCommand", "command of 127 characters, refused with a reply of 130",
                     [](Probe& p) { return SendCommand(repeated(127).c_str(), p.out(KAVEX_REPLY_SIZE)); },
                     whenSelected(refused(93), [](const Where& w) { return !w.selvo() && !w.box(); })});
    cases.push_back({"SendCommand", "command of 127 characters behind the box, a reply of 130",
                     [](Probe& p) {
                         const int32_t result = SendCommand(repeated(127).c_str(), p.out(KAVEX_REPLY_SIZE));
                         GuardedBuffer error(KAVEX_ERROR_SIZE);
                         GetError(error.data());
                         EXPECT_EQ(error.text(), "Error receving message: 10040");
                         return result;
                     },
                     whenSelected(refused(78), [](const Where& w) { return w.box(); })});
    // On the wired bus a message posted is sent once and must be answered within a few
    // milliseconds, which a simulator on a loaded machine cannot promise.
    cases.push_back({"PostCommand", "null command, posted as an empty one",
                     [](Probe&) { return PostCommand(nullptr); },
                     [](const Where& w) -> std::optional<Outcome> {
                         if (!w.device()) return refused(2);
                         if (!w.terminal()) return refused(4);
                         if (w.wiredBus()) return std::nullopt;
                         return gives(0);
                     }});
    cases.push_back({"PostCommand", "command of 128 characters",
                     [](Probe&) { return PostCommand(repeated(128).c_str()); },
                     terminalChecks(refused(3))});
    cases.push_back({"PostCommand", "command of 64 KiB",
                     [](Probe&) { return PostCommand(kLongText.c_str()); },
                     terminalChecks(refused(3))});
    cases.push_back({"PostCommand", "command of 121 characters: too long for the bus",
                     [](Probe&) { return PostCommand(repeated(121).c_str()); },
                     whenSelected(refused(3), [](const Where& w) { return w.selvo(); })});
    // A null buffer is refused before the device is looked at.
    cases.push_back({"GetResponse", "null reply", [](Probe&) { return GetResponse(nullptr); },
                     always(refused(3))});
    cases.push_back({"GetResponse", "nothing has arrived",
                     [](Probe& p) { return GetResponse(p.out(KAVEX_REPLY_SIZE)); },
                     [](const Where& w) -> std::optional<Outcome> {
                         if (!w.device()) return refused(2);
                         if (!w.terminal()) return refused(4);
                         return refused(w.box() ? 79 : 40);
                     }});
    cases.push_back({"GetMsgEx", "null text", [](Probe&) { return GetMsgEx(nullptr); },
                     always(refused(3))});
    cases.push_back({"GetMsgEx", "nothing is sent within a second",
                     [](Probe& p) { return GetMsgEx(p.out(KAVEX_REPLY_SIZE)); },
                     [](const Where& w) -> std::optional<Outcome> {
                         if (!w.device()) return refused(2);
                         if (!w.terminal()) return refused(4);
                         return refused(w.box() ? 79 : 40);
                     }});
    return cases;
}

std::vector<AbiCase> modemCases() {
    std::vector<AbiCase> cases;
    struct BadDial {
        const char* input;
        std::string init, number;
        bool nullInit, nullNumber;
        int32_t wait;
    };
    const BadDial bad[] = {
        {"null number", "", "", true, true, 60},
        {"empty number", "", "", false, false, 60},
        {"number of 33 characters", "", repeated(33, '5'), true, false, 60},
        {"number of 64 KiB", "", kLongText, true, false, 60},
        {"init of 33 characters", repeated(33), "5551234", false, false, 60},
        {"init of 64 KiB", kLongText, "5551234", false, false, 60},
        {"wait 121 s", "", "5551234", true, false, 121},
        {"wait INT_MAX s", "", "5551234", true, false, INT_MAX},
    };
    for (const BadDial& b : bad) {
        cases.push_back({"DialNumber", b.input,
                         [b](Probe&) {
                             return DialNumber(b.nullInit ? nullptr : b.init.c_str(),
                                               b.nullNumber ? nullptr : b.number.c_str(), b.wait);
                         },
                         modemExport(refused(3))});
    }
    cases.push_back({"HangUp", "no modem line", [](Probe&) { return HangUp(); },
                     modemExport(std::nullopt)});
    return cases;
}

std::vector<AbiCase> meterAndCipherCases() {
    std::vector<AbiCase> cases;
    cases.push_back({"SetMeterCallback", "null callback and context",
                     [](Probe&) { return SetMeterCallback(nullptr, nullptr); },
                     always(gives(0, kUntouched))});
    cases.push_back({"SetMeterCallback", "null callback with a context",
                     [](Probe&) { return SetMeterCallback(nullptr, reinterpret_cast<void*>(-1)); },
                     always(gives(0, kUntouched))});
    cases.push_back({"EnableMeter", "INT_MIN with no callback",
                     [](Probe&) {
                         const int32_t result = EnableMeter(INT_MIN);
                         EnableMeter(0);
                         return result;
                     },
                     always(gives(0, kUntouched))});
    for (const std::string& key : {std::string(), repeated(15), repeated(17), kLongText}) {
        cases.push_back({"SetEncryptKey", "key of " + std::to_string(key.size()) + " characters",
                         [key](Probe&) { return SetEncryptKey(key.c_str()); }, always(refused(3))});
    }
    cases.push_back({"SetEncryptKey", "null key", [](Probe&) { return SetEncryptKey(nullptr); },
                     always(refused(3))});
    cases.push_back({"CryptMessages", "INT_MIN",
                     [](Probe&) {
                         const int32_t result = CryptMessages(INT_MIN);
                         CryptMessages(0);
                         return result;
                     },
                     always(gives(0, kUntouched))});
    cases.push_back({"CryptLbxCmds", "INT_MAX",
                     [](Probe&) {
                         const int32_t result = CryptLbxCmds(INT_MAX);
                         CryptLbxCmds(0);
                         return result;
                     },
                     always(gives(0, kUntouched))});
    return cases;
}

std::vector<AbiCase> selectionCases() {
    std::vector<AbiCase> cases;
    struct BadNumber {
        int32_t terminal;
        bool alsoSelected;
    };
    const BadNumber numbers[] = {{-1, false},     {255, false}, {256, false}, {INT_MAX, false},
                                 {INT_MIN, true}, {0, true},    {1, true},    {32, false}};
    for (const BadNumber& n : numbers) {
        const std::string input = "terminal " + std::to_string(n.terminal);
        cases.push_back({"SetTerminal", input, [n](Probe&) { return SetTerminal(n.terminal); },
                         badSelection(n.terminal, n.alsoSelected), Effect::Deselects});
        cases.push_back({"ChgTerminal", input, [n](Probe&) { return ChgTerminal(n.terminal); },
                         badSelection(n.terminal, n.alsoSelected), Effect::Deselects});
    }
    for (const std::string& password : {std::string(), repeated(6, '1'), kLongText}) {
        cases.push_back({"SetPassword", "password of " + std::to_string(password.size()) + " characters",
                         [password](Probe&) { return SetPassword(password.c_str()); },
                         always(gives(-1, kUntouched))});
    }
    cases.push_back({"SetPassword", "null password", [](Probe&) { return SetPassword(nullptr); },
                     always(gives(-1, kUntouched))});
    return cases;
}

std::vector<AbiCase> clockCases() {
    std::vector<AbiCase> cases;
    cases.push_back({"GetTime", "null buffer", [](Probe&) { return GetTime(nullptr); },
                     always(refused(3))});
    cases.push_back({"GetDate", "null buffer", [](Probe&) { return GetDate(nullptr); },
                     always(refused(3))});
    cases.push_back({"SetTime", "null time", [](Probe&) { return SetTime(nullptr); },
                     always(refused(3))});
    cases.push_back({"SetDate", "null date", [](Probe&) { return SetDate(nullptr); },
                     always(refused(3))});
    cases.push_back({"GetTime", "a buffer of KAVEX_REPLY_SIZE",
                     [](Probe& p) {
                         const int32_t result = GetTime(p.out(KAVEX_REPLY_SIZE));
                         if (result == 0) {
                             EXPECT_EQ(p.buffer(0).text().size(), 6u);
                         }
                         return result;
                     },
                     terminalChecks(gives(0))});
    cases.push_back({"GetDate", "a buffer of KAVEX_REPLY_SIZE",
                     [](Probe& p) {
                         const int32_t result = GetDate(p.out(KAVEX_REPLY_SIZE));
                         if (result == 0) {
                             EXPECT_EQ(p.buffer(0).text().size(), 7u);
                         }
                         return result;
                     },
                     terminalChecks(gives(0))});
    for (const std::string& time : {std::string(), std::string("24000"), std::string("240000"),
                                    std::string("235960"), std::string("236059"),
                                    std::string("12345a"), std::string("-12345"),
                                    std::string(" 12345"), std::string("1234567"), kLongText}) {
        cases.push_back({"SetTime", "\"" + time.substr(0, 12) + "\" (" + std::to_string(time.size()) + ")",
                         [time](Probe&) { return SetTime(time.c_str()); },
                         terminalChecks(refused(3))});
    }
    for (const std::string& date : {std::string(), std::string("7151231"), std::string("0150230"),
                                    std::string("0151301"), std::string("0150001"),
                                    std::string("0150431"), std::string("015123"),
                                    std::string("01512310"), std::string("0x51231"), kLongText}) {
        cases.push_back({"SetDate", "\"" + date.substr(0, 12) + "\" (" + std::to_string(date.size()) + ")",
                         [date](Probe&) { return SetDate(date.c_str()); },
                         terminalChecks(refused(3))});
    }
    return cases;
}

// A selection table with the given parameters selected, of exactly its size.
std::vector<int32_t> selection(std::initializer_list<int32_t> selected, int32_t mark = 1) {
    std::vector<int32_t> table(KAVEX_PARAMETER_COUNT, 0);
    for (const int32_t i : selected) table[static_cast<size_t>(i)] = mark;
    return table;
}

std::vector<AbiCase> parameterCases() {
    std::vector<AbiCase> cases;
    cases.push_back({"GetParameter", "null value", [](Probe&) { return GetParameter(5, nullptr); },
                     always(refused(3))});
    for (const int32_t number : {-1, 100, INT_MAX, INT_MIN}) {
        const std::string input = "parameter " + std::to_string(number);
        cases.push_back({"GetParameter", input,
                         [number](Probe& p) { return GetParameter(number, p.out(KAVEX_REPLY_SIZE)); },
                         terminalChecks(refused(3))});
        cases.push_back({"SetParameter", input,
                         [number](Probe&) { return SetParameter(number, "1"); },
                         terminalChecks(refused(3))});
    }
    // The value's length is checked before the device.
    cases.push_back({"SetParameter", "value of 33 characters",
                     [](Probe&) { return SetParameter(5, repeated(33).c_str()); },
                     always(refused(3))});
    cases.push_back({"SetParameter", "value of 64 KiB",
                     [](Probe&) { return SetParameter(5, kLongText.c_str()); }, always(refused(3))});
    cases.push_back({"SetParameter", "null value, sent as an empty one",
                     [](Probe&) { return SetParameter(5, nullptr); }, terminalChecks(gives(0))});
    cases.push_back({"GetParameter", "a value of 20 characters",
                     [](Probe& p) {
                         const int32_t result = GetParameter(kLongParameter, p.out(KAVEX_REPLY_SIZE));
                         if (result == 0) {
                             EXPECT_EQ(p.buffer(0).text(), kLongValue);
                         }
                         return result;
                     },
                     terminalChecks(gives(0))});

    cases.push_back({"GetAllParams", "null selection",
                     [](Probe& p) {
                         return GetAllParams(nullptr, p.out(KAVEX_PARAMETER_COUNT * KAVEX_PARAMETER_SLOT_SIZE));
                     },
                     always(refused(3))});
    cases.push_back({"GetAllParams", "null values",
                     [](Probe&) { return GetAllParams(selection({5}).data(), nullptr); },
                     always(refused(3))});
    cases.push_back({"GetAllParams", "nothing selected: nothing sent",
                     [](Probe& p) {
                         const int32_t result = GetAllParams(
                             selection({}).data(), p.out(KAVEX_PARAMETER_COUNT * KAVEX_PARAMETER_SLOT_SIZE));
                         EXPECT_TRUE(p.buffer(0).untouched());
                         return result;
                     },
                     always(gives(0))});
    cases.push_back({"GetAllParams", "a value of 20 characters into its slot of 17, INT_MIN marks",
                     [](Probe& p) {
                         char* values = p.out(KAVEX_PARAMETER_COUNT * KAVEX_PARAMETER_SLOT_SIZE);
                         const int32_t result =
                             GetAllParams(selection({kLongParameter, 99}, INT_MIN).data(), values);
                         if (result == 0) {
                             const std::string slot(values + KAVEX_PARAMETER_SLOT_SIZE * kLongParameter);
                             EXPECT_EQ(slot, std::string(kLongValue).substr(0, 16)) << "cut to 16";
                             const auto* next = reinterpret_cast<const unsigned char*>(
                                 values + KAVEX_PARAMETER_SLOT_SIZE * (kLongParameter + 1));
                             EXPECT_EQ(next[0], GuardedBuffer::kPattern) << "the next slot untouched";
                             EXPECT_STREQ(values + KAVEX_PARAMETER_SLOT_SIZE * 99, "0");
                         }
                         return result;
                     },
                     whenSelected(gives(0))});
    // Fixed by the first selected parameter: -100 + 7.
    cases.push_back({"GetAllParams", "parameter 7 selected",
                     [](Probe& p) {
                         return GetAllParams(selection({7}).data(),
                                             p.out(KAVEX_PARAMETER_COUNT * KAVEX_PARAMETER_SLOT_SIZE));
                     },
                     [](const Where& w) -> std::optional<Outcome> {
                         if (w.terminal()) return std::nullopt;
                         return Outcome{-93, w.device() ? 4 : 2};
                     }});
    cases.push_back({"SetAllParams", "null selection",
                     [](Probe&) {
                         const std::vector<char> values(KAVEX_PARAMETER_COUNT * KAVEX_PARAMETER_SLOT_SIZE, 0);
                         return SetAllParams(nullptr, values.data());
                     },
                     always(refused(3))});
    cases.push_back({"SetAllParams", "null values",
                     [](Probe&) { return SetAllParams(selection({5}).data(), nullptr); },
                     always(refused(3))});
    // The tables are of their exact size, so that a read past the last slot is caught.
    for (const int32_t slot : {7, 99}) {
        cases.push_back({"SetAllParams", "slot " + std::to_string(slot) + " without its zero",
                         [slot](Probe&) {
                             std::vector<char> values(KAVEX_PARAMETER_COUNT * KAVEX_PARAMETER_SLOT_SIZE, 0);
                             std::fill_n(values.begin() + KAVEX_PARAMETER_SLOT_SIZE * slot,
                                         KAVEX_PARAMETER_SLOT_SIZE, 'V');
                             return SetAllParams(selection({slot}).data(), values.data());
                         },
                         always(Outcome{slot - 100, 3})});
    }
    return cases;
}

std::vector<AbiCase> driveCases() {
    std::vector<AbiCase> cases;
    for (const std::string& drive : {std::string(), std::string("a"), std::string("D"),
                                     std::string("@"), std::string("\xC1")}) {
        cases.push_back({"ChgDrv", "drive \"" + drive + "\"",
                         [drive](Probe&) { return ChgDrv(drive.c_str()); },
                         terminalChecks(refused(3))});
    }
    cases.push_back({"ChgDrv", "null drive", [](Probe&) { return ChgDrv(nullptr); },
                     terminalChecks(refused(3))});
    cases.push_back({"ChgDrv", "drive A followed by 64 KiB, which is ignored",
                     [](Probe&) { return ChgDrv(kLongText.c_str()); }, terminalChecks(gives(0))});
    return cases;
}

// Whether no local file was left at `path`.
bool noFileAt(const std::string& path) { return !std::filesystem::exists(path); }

std::vector<AbiCase> fileCases() {
    std::vector<AbiCase> cases;
    const std::vector<std::string> badNames{std::string(), repeated(9), kLongText};

    cases.push_back({"ListFiles", "null entries",
                     [](Probe&) { return ListFiles(nullptr, nullptr); }, terminalChecks(refused(3))});
    for (const std::string& pattern : {repeated(9), kLongText}) {
        cases.push_back({"ListFiles", "pattern of " + std::to_string(pattern.size()) + " characters",
                         [pattern](Probe& p) { return ListFiles(pattern.c_str(), p.out(KAVEX_LIST_BUFFER_SIZE)); },
                         terminalChecks(refused(3))});
    }
    cases.push_back({"ListFiles", "null pattern: every file",
                     [](Probe& p) {
                         const int32_t result = ListFiles(nullptr, p.out(KAVEX_LIST_BUFFER_SIZE));
                         return result >= 2 ? 1 : result;  // CFGS and SMALL at least
                     },
                     terminalChecks(gives(1))});
    cases.push_back({"ListFiles", "a whole name the terminal does not have: entries untouched",
                     [](Probe& p) {
                         const int32_t result = ListFiles("NOSUCHFL", p.out(KAVEX_LIST_BUFFER_SIZE));
                         EXPECT_TRUE(p.buffer(0).untouched());
                         return result;
                     },
                     terminalChecks(gives(0))});

    cases.push_back({"ListFiles", "a whole name: the entry cut to its slot",
                     [](Probe& p) {
                         const int32_t result = ListFiles("SMALL   ", p.out(KAVEX_LIST_BUFFER_SIZE));
                         if (result == 1) {
                             EXPECT_EQ(p.buffer(0).text().substr(0, 9), "SMALL    ");
                         }
                         return result;
                     },
                     terminalChecks(gives(1))});

    // Null arguments are refused before the device is looked at.
    cases.push_back({"RecvFile", "null name", [](Probe& p) { return RecvFile(nullptr, p.path("x").c_str()); },
                     always(refused(3))});
    cases.push_back({"RecvFile", "null path", [](Probe&) { return RecvFile(kSmallFile, nullptr); },
                     always(refused(3))});
    cases.push_back({"RecvFile", "no local file is made before the checks",
                     [](Probe& p) {
                         const int32_t result = RecvFile(kSmallFile, p.path("small.txt").c_str());
                         EXPECT_TRUE(noFileAt(p.path("small.txt")));
                         return result;
                     },
                     terminalChecks(std::nullopt)});
    for (const std::string& name : badNames) {
        cases.push_back({"RecvFile", "name of " + std::to_string(name.size()) + " characters",
                         [name](Probe& p) {
                             const int32_t result = RecvFile(name.c_str(), p.path("bad.txt").c_str());
                             EXPECT_TRUE(noFileAt(p.path("bad.txt")));
                             return result;
                         },
                         terminalChecks(refused(3))});
    }
    cases.push_back({"RecvFile", "empty path", [](Probe&) { return RecvFile("CFGS", ""); },
                     terminalChecks(refused(56))});
    cases.push_back({"RecvFile", "path of 64 KiB", [](Probe&) { return RecvFile("CFGS", kLongText.c_str()); },
                     terminalChecks(refused(56))});
    cases.push_back({"RecvFile", "path of a named pipe nobody reads",
                     [](Probe& p) {
                         const int32_t result = RecvFile("CFGS", p.pipe().c_str());
                         EXPECT_FALSE(p.waitedOnPipe()) << "waited for a reader of the pipe";
                         return result;
                     },
                     terminalChecks(refused(56))});
    cases.push_back({"RecvFile", "path in a folder that does not exist",
                     [](Probe& p) { return RecvFile("CFGS", p.path("missing/cfgs.txt").c_str()); },
                     terminalChecks(refused(56))});

    cases.push_back({"ViewFile", "null name", [](Probe& p) { return ViewFile(nullptr, p.out(16), 16); },
                     always(refused(3))});
    cases.push_back({"ViewFile", "null text", [](Probe&) { return ViewFile(kSmallFile, nullptr, 16); },
                     always(refused(3))});
    for (const std::string& name : badNames) {
        cases.push_back({"ViewFile", "name of " + std::to_string(name.size()) + " characters",
                         [name](Probe& p) { return ViewFile(name.c_str(), p.out(16), 16); },
                         terminalChecks(refused(3))});
    }
    for (const uint32_t size : {0u, 65536u, UINT32_MAX}) {
        cases.push_back({"ViewFile", "size " + std::to_string(size),
                         [size](Probe& p) { return ViewFile(kSmallFile, p.out(16), size); },
                         terminalChecks(refused(3))});
    }
    // "ABCDEFGH" CR LF takes 10 bytes and its zero one more; "IJ" CR LF 4 more.
    struct Fit {
        uint32_t size;
        int32_t lines;
        const char* text;
    };
    for (const Fit& fit : {Fit{1, 0, ""}, Fit{10, 0, ""}, Fit{11, 1, "ABCDEFGH\r\n"},
                           Fit{15, 2, "ABCDEFGH\r\nIJ\r\n"}}) {
        cases.push_back({"ViewFile", "a buffer of " + std::to_string(fit.size) + " bytes",
                         [fit](Probe& p) {
                             const int32_t result = ViewFile(kSmallFile, p.out(fit.size), fit.size);
                             if (result >= 0) {
                             EXPECT_EQ(p.buffer(0).text(), fit.text);
                         }
                             return result;
                         },
                         whenSelected(gives(fit.lines)),
                         fit.size < 15 ? Effect::EndsTransfer : Effect::None});
    }

    cases.push_back({"DeleFile", "null name", [](Probe&) { return DeleFile(nullptr); },
                     always(refused(3))});
    for (const std::string& name : badNames) {
        cases.push_back({"DeleFile", "name of " + std::to_string(name.size()) + " characters",
                         [name](Probe&) { return DeleFile(name.c_str()); }, terminalChecks(refused(3))});
    }

    for (const int32_t record : {-1, INT_MIN}) {
        cases.push_back({"SetKeyRec", "record " + std::to_string(record),
                         [record](Probe&) { return SetKeyRec(record); }, always(refused(3))});
    }
    cases.push_back({"SetKeyRec", "record INT_MAX",
                     [](Probe&) {
                         const int32_t result = SetKeyRec(INT_MAX);
                         SetKeyRec(0);
                         return result;
                     },
                     always(gives(0))});
    for (const std::string& key : {std::string(), repeated(65), kLongText}) {
        cases.push_back({"SetKeyRecStr", "key of " + std::to_string(key.size()) + " characters",
                         [key](Probe&) { return SetKeyRecStr(key.c_str()); }, always(refused(3))});
    }
    cases.push_back({"SetKeyRecStr", "null key", [](Probe&) { return SetKeyRecStr(nullptr); },
                     always(refused(3))});
    cases.push_back({"SetKeyRecStr", "key of 64 characters",
                     [](Probe&) {
                         const int32_t result = SetKeyRecStr(repeated(64).c_str());
                         SetKeyRec(0);
                         return result;
                     },
                     always(gives(0))});
    return cases;
}

std::vector<AbiCase> sendingCases() {
    std::vector<AbiCase> cases;
    cases.push_back({"SendFile", "null path", [](Probe&) { return SendFile(nullptr, "NEWFILE", 0, 0); },
                     always(refused(3))});
    cases.push_back({"SendFile", "null name",
                     [](Probe& p) { return SendFile(p.path("x").c_str(), nullptr, 0, 0); },
                     always(refused(3))});
    struct BadLoad {
        std::string input, name;
        int32_t optionP, number;
    };
    const BadLoad bad[] = {
        {"empty name", "", 0, 0},
        {"name of 9 characters", repeated(9), 0, 0},
        {"name of 64 KiB", kLongText, 0, 0},
        {"name with a blank", "NEW FILE", 0, 0},
        {"name with a control character", "NEW\x01", 0, 0},
        {"name with a byte above 0x7F", "NEW\x80", 0, 0},
        {"option P 2", "NEWFILE", 2, 0},
        {"option P -1", "NEWFILE", -1, 0},
        {"option P INT_MIN", "NEWFILE", INT_MIN, 0},
        {"number -1", "NEWFILE", 0, -1},
        {"number 128", "NEWFILE", 1, 128},
        {"number INT_MAX", "NEWFILE", 0, INT_MAX},
    };
    for (const BadLoad& b : bad) {
        cases.push_back({"SendFile", b.input,
                         [b](Probe& p) { return SendFile(p.path("x").c_str(), b.name.c_str(), b.optionP, b.number); },
                         terminalChecks(refused(3))});
    }
    cases.push_back({"SendFile", "a local file that does not exist",
                     [](Probe& p) { return SendFile(p.path("missing.txt").c_str(), "NEWFILE", 0, 0); },
                     terminalChecks(refused(56))});
    cases.push_back({"SendFile", "path of a named pipe nobody writes",
                     [](Probe& p) {
                         const int32_t result = SendFile(p.pipe().c_str(), "NEWFILE", 0, 0);
                         EXPECT_FALSE(p.waitedOnPipe()) << "waited for a writer of the pipe";
                         return result;
                     },
                     terminalChecks(refused(56))});
    cases.push_back({"SendFile", "local path of 64 KiB",
                     [](Probe&) { return SendFile(kLongText.c_str(), "NEWFILE", 0, 0); },
                     terminalChecks(refused(56))});
    cases.push_back({"SendPrg", "local path of 64 KiB", [](Probe&) { return SendPrg(kLongText.c_str()); },
                     terminalChecks(refused(56))});
    cases.push_back({"SendPrg", "path of a named pipe nobody writes",
                     [](Probe& p) {
                         const int32_t result = SendPrg(p.pipe().c_str());
                         EXPECT_FALSE(p.waitedOnPipe()) << "waited for a writer of the pipe";
                         return result;
                     },
                     terminalChecks(refused(56))});
    cases.push_back({"SendPrg", "null path", [](Probe&) { return SendPrg(nullptr); }, always(refused(3))});
    cases.push_back({"SendPrg", "empty path: no local file", [](Probe&) { return SendPrg(""); },
                     terminalChecks(refused(56))});
    return cases;
}

// After the terminal operations: a refused SetIPAddress leaves the box's serial side multi-drop,
// which changes how a later selection is judged.
std::vector<AbiCase> networkBoxCases() {
    std::vector<AbiCase> cases;
    cases.push_back({"SetIPAddress", "null address", [](Probe&) { return SetIPAddress(nullptr); },
                     always(refused(3))});
    for (const std::string& address :
         {std::string(), std::string("1.2.3"), std::string("127.0.0.02"), std::string("127.0.0.256"),
          std::string("255.255.255.255"), std::string(" 127.0.0.2"), std::string("127.0.0.2 "),
          std::string("127.000.000.002"), kLongText}) {
        cases.push_back({"SetIPAddress", "\"" + address.substr(0, 16) + "\"",
                         [address](Probe&) { return SetIPAddress(address.c_str()); },
                         [](const Where& w) -> std::optional<Outcome> {
                             if (!w.device()) return refused(2);
                             if (!w.box()) return refused(5);
                             return refused(3);
                         },
                         Effect::Deselects});
    }
    cases.push_back({"LbxCommand", "null command",
                     [](Probe& p) { return LbxCommand(nullptr, p.out(KAVEX_LBX_ANSWER_SIZE)); },
                     always(refused(3))});
    cases.push_back({"LbxCommand", "null answer", [](Probe&) { return LbxCommand("X", nullptr); },
                     always(refused(3))});
    cases.push_back({"LbxCommand", "command of 128 characters",
                     [](Probe& p) { return LbxCommand(repeated(128).c_str(), p.out(KAVEX_LBX_ANSWER_SIZE)); },
                     boxExport(2, refused(3))});
    cases.push_back({"LbxCommand", "command of 64 KiB",
                     [](Probe& p) { return LbxCommand(kLongText.c_str(), p.out(KAVEX_LBX_ANSWER_SIZE)); },
                     boxExport(2, refused(3))});
    cases.push_back({"LbxCommand", "empty command, refused by the box",
                     [](Probe& p) { return LbxCommand("", p.out(KAVEX_LBX_ANSWER_SIZE)); },
                     [](const Where& w) -> std::optional<Outcome> {
                         if (!w.device()) return refused(2);
                         if (!w.box()) return refused(2);
                         if (!w.boxSelected()) return std::nullopt;
                         return refused(96);
                     }});
    cases.push_back({"LbxCommand", "the status into a buffer of KAVEX_LBX_ANSWER_SIZE",
                     [](Probe& p) { return LbxCommand("X", p.out(KAVEX_LBX_ANSWER_SIZE)); },
                     [](const Where& w) -> std::optional<Outcome> {
                         if (!w.device() || !w.box()) return refused(2);
                         if (!w.boxSelected()) return std::nullopt;
                         return gives(0);
                     }});
    cases.push_back({"LbxReset", "not the network box", [](Probe&) { return LbxReset(); },
                     boxExport(2, std::nullopt)});
    // Before SetIPAddress there is no socket: the socket library's refusal (10038, not a
    // socket) is the error of the read or the send.
    cases.push_back({"LbxCommand", "no box selected yet",
                     [](Probe& p) {
                         const int32_t result = LbxCommand("X", p.out(KAVEX_LBX_ANSWER_SIZE));
                         EXPECT_EQ(p.buffer(0).text(), "") << "emptied";
                         return result;
                     },
                     [](const Where& w) -> std::optional<Outcome> {
                         if (!w.box() || w.boxSelected()) return std::nullopt;
                         return refused(78);
                     }});
    cases.push_back({"LbxReset", "no box selected yet", [](Probe&) { return LbxReset(); },
                     [](const Where& w) -> std::optional<Outcome> {
                         if (!w.box() || w.boxSelected()) return std::nullopt;
                         return refused(77);
                     }});
    for (const int32_t port : {-1, 65536, INT_MAX, INT_MIN}) {
        cases.push_back({"SetRemoteUDPPort", "port " + std::to_string(port),
                         [port](Probe&) { return SetRemoteUDPPort(port); }, always(refused(3))});
    }
    cases.push_back({"SetRemoteUDPPort", "not the network box",
                     [](Probe&) { return SetRemoteUDPPort(8499); }, boxExport(5, std::nullopt)});
    cases.push_back({"ChangeAdapter", "null address", [](Probe&) { return ChangeAdapter(nullptr); },
                     always(refused(3))});
    // A refused adapter chooses the first one; the box is selected already, on "0.0.0.0".
    for (const std::string& address : {std::string(), std::string("0.0.0.0 "), kLongText}) {
        cases.push_back({"ChangeAdapter", "address of " + std::to_string(address.size()) + " characters",
                         [address](Probe&) { return ChangeAdapter(address.c_str()); },
                         boxExport(2, refused(101))});
    }
    cases.push_back({"GetLocalIPAddress", "null buffer", [](Probe&) { return GetLocalIPAddress(nullptr); },
                     always(refused(3))});
    cases.push_back({"GetLocalIPAddress", "a buffer of KAVEX_ADDRESS_SIZE",
                     [](Probe& p) { return GetLocalIPAddress(p.out(KAVEX_ADDRESS_SIZE)); },
                     boxExport(2, gives(0))});
    cases.push_back({"GetAllIPAddress", "null buffer", [](Probe&) { return GetAllIPAddress(nullptr); },
                     always(refused(3))});
    cases.push_back({"GetAllIPAddress", "a buffer of KAVEX_ADDRESS_LIST_SIZE",
                     [](Probe& p) {
                         const int32_t result = GetAllIPAddress(p.out(KAVEX_ADDRESS_LIST_SIZE));
                         if (result == 0) {
                             const std::string all = p.buffer(0).text();
                             EXPECT_TRUE(all.empty() || all.ends_with("0.0.0.0|")) << all;
                         }
                         return result;
                     },
                     boxExport(2, gives(0))});
    return cases;
}

std::vector<AbiCase> allCases() {
    std::vector<AbiCase> cases;
    for (auto part : {errorAndSettingCases, exchangeCases, modemCases, meterAndCipherCases,
                      selectionCases, clockCases, parameterCases, driveCases, fileCases,
                      sendingCases, networkBoxCases,
                      // Last: every InitCOMM, refused or not, restores the default password,
                      // cipher key and line driver stamp.
                      startUpCases}) {
        for (AbiCase& c : part()) cases.push_back(std::move(c));
    }
    return cases;
}

// ---- The devices of each state ------------------------------------------------------------

sim::TerminalConfig terminalConfig() {
    sim::TerminalConfig config;
    config.files['A'][kSmallFile] = {"ABCDEFGH", "IJ"};
    config.parameters[kLongParameter] = kLongValue;
    return config;
}

std::string temporaryFolder(const char* prefix) {
    std::string pattern = std::string("/tmp/") + prefix + "-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return {};
    return pattern;
}

// The simulated device of one state, the library opened on it and, where the state wants one,
// the terminal selected.
class DeviceUnderTest {
public:
    explicit DeviceUnderTest(const Where& where) : where_(where), files_(temporaryFolder("kavex-abi")) {}

    ~DeviceUnderTest() {
        ExitCOMM();
        serial_.reset();
        box_.reset();
        if (!emptyPorts_.empty()) {
            unsetenv("COM_PORT_DIR");
            rmdir(emptyPorts_.c_str());
        }
        std::error_code ignored;
        std::filesystem::remove_all(files_, ignored);
    }

    const std::string& files() const { return files_; }

    void open() {
        const Link* link = where_.link;
        if (link == nullptr || link->mode == 6) {
            emptyPorts_ = temporaryFolder("kavex-abi-ports");
            setenv("COM_PORT_DIR", emptyPorts_.c_str(), 1);
        }
        if (link == nullptr) return;
        if (link->mode == 6) {
            openBox(*link);
        } else {
            kavex_test::SimDevice device = kavex_test::makeDevice(link->mode, link->terminal, terminalConfig());
            if (link->modem) device = kavex_test::withModem(std::move(device));
            serial_ = std::make_unique<kavex_test::SimSession>(std::move(device));
            ASSERT_GT(InitCOMM(kavex_test::kPort, link->mode, link->baud, link->format), 0)
                << kavex_test::lastError();
        }
        if (where_.terminal()) select();
    }

    // Dials where a modem stands in front, selects the box where none is, and logs on.
    void select() {
        const Link& link = *where_.link;
        if (link.modem && !dialled_) {
            ASSERT_EQ(DialNumber(nullptr, "5551234", 45), 0) << kavex_test::lastError();
            dialled_ = true;
        }
        if (link.mode == 6 && !boxSelected_) {
            // The cases may have chosen another adapter; the box answers loopback senders only.
            ASSERT_EQ(ChangeAdapter("0.0.0.0"), 0) << kavex_test::lastError();
            ASSERT_EQ(SetIPAddress(kBoxAddress), 0) << kavex_test::lastError();
            boxSelected_ = true;
        }
        ASSERT_EQ(SetTerminal(link.terminal), 0) << kavex_test::lastError();
    }

    // After a case: a terminal deselected by it is selected again, and after a case that may
    // have talked to it the terminal still answers; a device a start-up opened is closed again.
    void afterCase(Effect effect, const Outcome& expected) {
        if (effect == Effect::MayOpen && !where_.device()) ExitCOMM();
        if (!where_.terminal()) return;
        if (effect == Effect::Deselects) {
            char text[KAVEX_REPLY_SIZE];
            EXPECT_EQ(GetMsgEx(text), -1);
            EXPECT_EQ(kavex_test::errorCode(), 4) << "a refused selection leaves none";
            select();
        }
        if (effect == Effect::EndsTransfer) {
            char line[KAVEX_REPLY_SIZE];
            while (GetMsgEx(line) == 0) {
            }
        }
        const bool refusedUnsent = expected.result < 0 && expected.code == 3;
        if (effect != Effect::None || !refusedUnsent) expectTerminalAnswers();
    }

    // The end of a state: the library still opens a device, or selects and talks to the
    // terminal of the open one.
    void expectStillWorks() {
        if (!where_.device()) {
            const uint16_t port = kavex_test::freeUdpPort();
            EXPECT_EQ(InitCOMM(port, 6, 0, 0), port) << kavex_test::lastError();
            EXPECT_EQ(ExitCOMM(), 0) << kavex_test::lastError();
            return;
        }
        if (!where_.terminal()) select();
        expectTerminalAnswers();
    }

private:
    void openBox(const Link& link) {
        sim::BoxConfig config;
        config.port = 0;
        box_ = std::make_unique<sim::NetworkBox>(config);
        box_->attach(link.terminal, std::make_shared<sim::Terminal>(terminalConfig()));
        box_->start();
        const uint16_t local = kavex_test::freeUdpPort();
        ASSERT_EQ(InitCOMM(local, 6, 0, 0), local) << kavex_test::lastError();
        ASSERT_EQ(ChangeAdapter("0.0.0.0"), 0) << kavex_test::lastError();
        ASSERT_EQ(SetRemoteUDPPort(box_->port()), 0) << kavex_test::lastError();
        if (link.selectsBox) {
            ASSERT_EQ(SetIPAddress(kBoxAddress), 0) << kavex_test::lastError();
            boxSelected_ = true;
        }
    }

    void expectTerminalAnswers() {
        char time[KAVEX_REPLY_SIZE];
        EXPECT_EQ(GetTime(time), 0) << "the terminal no longer answers: " << kavex_test::lastError();
    }

    Where where_;
    std::string files_;
    std::string emptyPorts_;
    std::unique_ptr<kavex_test::SimSession> serial_;
    std::unique_ptr<sim::NetworkBox> box_;
    bool dialled_ = false;
    bool boxSelected_ = false;
};

// The error code and text GetError reports now, through a guarded buffer.
int32_t currentError(std::string& text) {
    GuardedBuffer buffer(KAVEX_ERROR_SIZE);
    const int32_t code = GetError(buffer.data());
    EXPECT_TRUE(buffer.guardsIntact()) << "GetError wrote outside its buffer";
    text = buffer.text();
    return code;
}

class LibraryInState : public ::testing::TestWithParam<StateParam> {
protected:
    void SetUp() override {
        Set232TimeOut(kResponseTimeout);
        SetWinSockTimeOut(kWinSockTimeout);
    }
    void TearDown() override {
        ExitCOMM();
        Set232TimeOut(10);
        SetWinSockTimeOut(7);
    }
};

TEST_P(LibraryInState, EveryExportRefusesBadInputWithItsCodeAndWritesOnlyItsBuffers) {
    const Where where{GetParam().phase, GetParam().link};
    DeviceUnderTest device(where);
    device.open();
    if (HasFatalFailure()) return;
    int run = 0;
    for (const AbiCase& c : allCases()) {
        const std::optional<Outcome> expected = c.expected(where);
        if (!expected) continue;
        SCOPED_TRACE(c.exportName + ": " + c.input);
        std::string before;
        const int32_t codeBefore = currentError(before);
        Probe probe(device.files());
        const int32_t result = c.call(probe);
        std::string text;
        const int32_t code = currentError(text);
        EXPECT_EQ(result, expected->result) << text;
        EXPECT_EQ(code, expected->code == kUntouched ? codeBefore : expected->code) << text;
        EXPECT_TRUE(probe.guardsIntact()) << "written outside an output buffer";
        device.afterCase(c.effect, *expected);
        if (HasFatalFailure()) return;
        ++run;
    }
    EXPECT_GT(run, 0);
    RecordProperty("cases", run);
    device.expectStillWorks();
}

INSTANTIATE_TEST_SUITE_P(Kavex, LibraryInState, ::testing::ValuesIn(allStates()),
                         [](const auto& tested) { return tested.param.name; });

// More files than the listing buffer has slots for: the listing is ended with error 53 and
// nothing is written past KAVEX_LIST_BUFFER_SIZE; the terminal answers afterwards.
TEST(ListingBuffer, MoreFilesThanSlotsEndTheListingWithinTheBuffer) {
    sim::TerminalConfig config = terminalConfig();
    for (int i = 0; i < KAVEX_LIST_MAX_ENTRIES + 8; ++i) {
        config.files['A']["F" + std::to_string(10000 + i)] = {"R"};
    }
    kavex_test::SimSession session(kavex_test::makeDevice(3, 0, config));
    Set232TimeOut(kResponseTimeout);
    ASSERT_GT(InitCOMM(kavex_test::kPort, 3, 9600, 0), 0) << kavex_test::lastError();
    ASSERT_EQ(SetTerminal(0), 0) << kavex_test::lastError();
    GuardedBuffer entries(KAVEX_LIST_BUFFER_SIZE);
    EXPECT_EQ(ListFiles(nullptr, entries.data()), -1);
    EXPECT_EQ(kavex_test::errorCode(), 53) << kavex_test::lastError();
    EXPECT_TRUE(entries.guardsIntact()) << "written past the listing buffer";
    char time[KAVEX_REPLY_SIZE];
    EXPECT_EQ(GetTime(time), 0) << kavex_test::lastError();
    EXPECT_EQ(ExitCOMM(), 0);
    Set232TimeOut(10);
}

// The header, the shared library and the case table name the same exports.
TEST(LibraryExports, EveryExportHasCases) {
    const std::set<std::string> declared = abi_test::declaredExports(KAVEX_HEADER_FILE, "KAVEX_API");
    const std::set<std::string> exported = abi_test::exportedCNames(KAVEX_LIBRARY_FILE);
    std::set<std::string> covered;
    const std::vector<AbiCase> cases = allCases();
    for (const AbiCase& c : cases) covered.insert(c.exportName);
    RecordProperty("cases", static_cast<int>(cases.size()));
    EXPECT_GE(declared.size(), 50u) << "the header was not read";
    EXPECT_EQ(exported, declared) << "the library and its header disagree";
    EXPECT_EQ(covered, declared) << "an export without bad-input cases, or a case of no export";
}

}  // namespace
