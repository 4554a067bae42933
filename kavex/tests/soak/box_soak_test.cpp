// Soak of the real libkavex.so against kavex-sim's network box on loopback UDP: connect as
// Zentar does (box, master, terminal), receive a punch file, compare it with the terminal's,
// give the box back and disconnect, over and over. Every cycle must be right, and after a
// warm-up the process's open descriptors and memory must stay flat. The simulator runs in a
// process of its own, so that what is measured here is the library alone.
//   KAVEX_SOAK_CYCLES   the number of cycles (default 200)
#include <dirent.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "kavex.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kBox = "127.0.0.2";
constexpr const char* kMaster = "127.0.0.1";
constexpr int kTerminal = 1;  // the box's terminal by default
constexpr const char* kPunchFile = "PRE51231";
constexpr int kRecords = 20;
constexpr int kDefaultCycles = 200;
constexpr int kWarmUpCycles = 10;
// Descriptors: a cycle that leaves one open is a leak, so the count must not change at all.
// Memory: the cycles repeat the same allocations, so after the warm-up the allocator reuses the
// same pages; 128 kB (32 pages) leaves room for its bookkeeping and for code pages first
// touched late, and still catches a leak of more than 0.7 kB a cycle over the full 200 cycles
// (a socket's or a session's buffers, a few received records), more than 4.5 kB a cycle over
// the reduced 40.
constexpr long kMemoryMarginKb = 128;

int cycleCount() {
    const char* text = std::getenv("KAVEX_SOAK_CYCLES");
    const int count = text != nullptr ? std::atoi(text) : kDefaultCycles;
    return count > kWarmUpCycles ? count : kWarmUpCycles + 1;
}

int openDescriptors() {
    DIR* folder = opendir("/proc/self/fd");
    if (folder == nullptr) return -1;
    int count = 0;
    while (readdir(folder) != nullptr) ++count;
    closedir(folder);
    return count - 3;  // ".", ".." and the folder's own descriptor
}

// A "Vm..." figure of /proc/self/status in kB; -1 when missing.
long statusKb(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field + ":", 0) == 0) return std::atol(line.c_str() + field.size() + 1);
    }
    return -1;
}

struct Figures {
    int descriptors;
    long rssKb;
    long hwmKb;
};

Figures measure() { return {openDescriptors(), statusKb("VmRSS"), statusKb("VmHWM")}; }

uint16_t freeUdpPort() {
    const int s = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t size = sizeof address;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(s);
    return ntohs(address.sin_port);
}

std::string punchText() {
    std::string text;
    for (int i = 0; i < kRecords; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "%02d%02d00%d%08d01\r\n", 8 + i / 60, i % 60, i % 2, 4000 + i);
        text += line;
    }
    return text;
}

std::string readAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return in ? text.str() : std::string("(cannot be read)");
}

// kavex-sim box on 127.0.0.2, any free port, its terminal 1 holding the files of `folder`.
class BoxProcess {
public:
    explicit BoxProcess(const fs::path& folder) {
        int out[2];
        if (pipe(out) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            const std::string files = folder.string();
            execl(KAVEX_SIM, KAVEX_SIM, "box", "--address", kBox, "--port", "0", "--files", files.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        FILE* ready = fdopen(out[0], "r");
        char line[128] = {};
        if (ready != nullptr && fgets(line, sizeof line, ready) != nullptr) readyLine_ = line;
        if (ready != nullptr) fclose(ready);
        const std::string prefix = std::string("ready ") + kBox + ":";
        if (readyLine_.rfind(prefix, 0) == 0) port_ = std::atoi(readyLine_.c_str() + prefix.size());
    }
    ~BoxProcess() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    BoxProcess(const BoxProcess&) = delete;
    BoxProcess& operator=(const BoxProcess&) = delete;

    int port() const { return port_; }
    const std::string& readyLine() const { return readyLine_; }

private:
    pid_t pid_ = -1;
    std::string readyLine_;
    int port_ = 0;
};

// The step of a cycle that failed, with the library's error; empty when the cycle was right.
std::string failedStep(const char* step) {
    char text[KAVEX_ERROR_SIZE] = {};
    const int32_t code = GetError(text);
    ExitCOMM();
    return std::string(step) + " failed: " + std::to_string(code) + " " + text;
}

// One cycle: the connection of Zentar to a terminal behind the box, the file received and
// compared, the box given back to no master, the device closed.
std::string cycle(int boxPort, const fs::path& local, const std::string& expected) {
    char answer[KAVEX_LBX_ANSWER_SIZE];
    // Each cycle binds a local port found free just before it.
    if (InitCOMM(freeUdpPort(), KAVEX_MODE_NETWORK_BOX, 0, 0) <= 0) return failedStep("InitCOMM");
    if (ChangeAdapter("0.0.0.0") != 0) return failedStep("ChangeAdapter");
    if (SetRemoteUDPPort(boxPort) != 0) return failedStep("SetRemoteUDPPort");
    if (SetIPAddress(kBox) != 0) return failedStep("SetIPAddress");
    if (LbxCommand((std::string("M") + kMaster).c_str(), answer) != 0) return failedStep("LbxCommand M");
    if (LbxCommand("%", answer) != 0) return failedStep("LbxCommand %");
    if (SetTerminal(kTerminal) != 0) return failedStep("SetTerminal");
    const int32_t received = RecvFile(kPunchFile, local.c_str());
    if (received != kRecords) return failedStep(("RecvFile = " + std::to_string(received)).c_str());
    if (readAll(local) != expected) {
        ExitCOMM();
        return "the received file differs from the terminal's";
    }
    fs::remove(local);
    if (LbxCommand("M0.0.0.0", answer) != 0) return failedStep("LbxCommand M0.0.0.0");
    if (LbxCommand("%", answer) != 0) return failedStep("LbxCommand % (given back)");
    if (ExitCOMM() != 0) return failedStep("ExitCOMM");
    return {};
}

TEST(NetworkBoxSoak, EveryCycleReceivesTheFileAndDescriptorsAndMemoryStayFlat) {
    const fs::path folder = fs::temp_directory_path() / ("kavex-soak-" + std::to_string(getpid()));
    fs::create_directories(folder / "terminal");
    const std::string expected = punchText();
    std::ofstream(folder / "terminal" / kPunchFile, std::ios::binary) << expected;
    const fs::path local = folder / "received";
    const int cycles = cycleCount();
    {
        BoxProcess box(folder / "terminal");
        ASSERT_NE(box.port(), 0) << "kavex-sim box did not start: " << box.readyLine();

        Figures start{};
        std::vector<std::string> failures;
        for (int i = 0; i < cycles; ++i) {
            if (i == kWarmUpCycles) start = measure();
            const std::string failure = cycle(box.port(), local, expected);
            if (!failure.empty()) failures.push_back("cycle " + std::to_string(i + 1) + ": " + failure);
        }
        const Figures end = measure();
        std::printf("soak: %d cycles (%zu failed), %d warm-up; open descriptors %d at start, %d at end; "
                    "VmRSS %ld kB at start, %ld kB at end; VmHWM %ld kB at start, %ld kB at end\n",
                    cycles, failures.size(), kWarmUpCycles, start.descriptors, end.descriptors,
                    start.rssKb, end.rssKb, start.hwmKb, end.hwmKb);
        std::fflush(stdout);

        for (const std::string& failure : failures) ADD_FAILURE() << failure;
        EXPECT_EQ(end.descriptors, start.descriptors) << "descriptors left open";
        ASSERT_GT(start.rssKb, 0);
        EXPECT_LE(end.rssKb - start.rssKb, kMemoryMarginKb) << "resident memory grew";
        EXPECT_LE(end.hwmKb - start.hwmKb, kMemoryMarginKb) << "peak memory grew";
    }
    fs::remove_all(folder);
}

}  // namespace
