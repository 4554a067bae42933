// A C program on the installed-style library against kavex-sim, in every serial mode: the
// program opens the device, logs on, sends a command and prints the reply.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct ModeRun {
    const char* name;
    std::vector<std::string> sim;  // kavex-sim subcommand and its options
    int mode;
    int baud;
    int format;
    int terminal;
};

const ModeRun kRuns[] = {
    {"Selvo0", {"bus", "--sim-terminals", "12"}, 0, 0, -1, 12},
    {"Selvo1", {"bus", "--sim-terminals", "12"}, 1, 57600, 0, 12},
    {"Selvo2", {"bus", "--sim-terminals", "3"}, 5, 38400, 0, 3},
    {"SelvoRadio", {"bus", "--radio", "--sim-terminals", "12"}, 8, 19200, 0, 12},
    {"LineDriver", {"linedriver", "--terminals", "5", "--stamp", "6"}, 2, 9600, 0, 5},
    {"Direct", {"rs232"}, 3, 9600, 0, 0},
    {"DirectEchoing", {"rs232", "--echo"}, 3, 19200, 1, 0},
    {"Relayed", {"relay", "--terminals", "7"}, 4, 9600, 0, 7},
};

// kavex-sim running on COM<port> in a folder of its own, until destruction.
class SimProcess {
public:
    // A serial-side device on COM<port> of `folder`, parameter 5 holding "HELLO".
    SimProcess(std::vector<std::string> args, const std::string& folder, int port)
        : SimProcess(withLink(std::move(args), folder, port)) {}

    explicit SimProcess(std::vector<std::string> args) {
        int out[2];
        if (pipe(out) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            std::vector<char*> argv{const_cast<char*>(KAVEX_SIM)};
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(KAVEX_SIM, argv.data());
            _exit(127);
        }
        close(out[1]);
        ready_ = fdopen(out[0], "r");
        char line[256] = {};
        readyLine_ = ready_ != nullptr && fgets(line, sizeof line, ready_) != nullptr ? line : "";
    }
    ~SimProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        if (ready_ != nullptr) fclose(ready_);
    }
    const std::string& readyLine() const { return readyLine_; }

private:
    static std::vector<std::string> withLink(std::vector<std::string> args,
                                             const std::string& folder, int port) {
        args.insert(args.end(),
                    {"--dir", folder, "--port", std::to_string(port), "--param", "5=HELLO"});
        return args;
    }

    pid_t pid_ = -1;
    FILE* ready_ = nullptr;
    std::string readyLine_;
};

std::string runProgram(const std::string& command, int& status) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return output;
    std::array<char, 256> buffer{};
    while (fgets(buffer.data(), buffer.size(), pipe) != nullptr) output += buffer.data();
    status = pclose(pipe);
    return output;
}

class CProgram : public ::testing::TestWithParam<ModeRun> {};

TEST_P(CProgram, OpensLogsOnAndReadsAReply) {
    const ModeRun& run = GetParam();
    char pattern[] = "/tmp/kavex-e2e-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string folder = pattern;
    {
        SimProcess sim(run.sim, folder, 4);
        ASSERT_EQ(sim.readyLine(), "ready " + folder + "/COM4\n");
        const std::string command = "COM_PORT_DIR=" + folder + " " + KAVEX_SESSION + " 4 " +
                                    std::to_string(run.mode) + " " + std::to_string(run.baud) +
                                    " " + std::to_string(run.format) + " " +
                                    std::to_string(run.terminal) + " '@CFG 05' 2>&1";
        int status = -1;
        const std::string output = runProgram(command, status);
        EXPECT_EQ(status, 0) << output;
        EXPECT_EQ(output, "@CFG 05 HELLO\n");
    }
    std::filesystem::remove_all(folder);
}

// The dial-up program: a modem in front of a terminal with three punch days.
TEST(CProgramOnAModem, DialsListsReceivesSendsSetsAndHangsUp) {
    char pattern[] = "/tmp/kavex-dialup-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string folder = pattern;
    {
        SimProcess sim({"rs232", "--modem", "--punch-days", "3"}, folder, 2);
        ASSERT_EQ(sim.readyLine(), "ready " + folder + "/COM2\n");
        int status = -1;
        const std::string output = runProgram(
            "COM_PORT_DIR=" + folder + " " + KAVEX_DIALUP + " 2 0123456 " + folder + " 2>&1",
            status);
        EXPECT_EQ(status, 0) << output;
        EXPECT_NE(output.find("files 3\n"), std::string::npos) << output;
        EXPECT_NE(output.find("received PRE"), std::string::npos) << output;
        EXPECT_NE(output.find("parameter 7 DEMO\n"), std::string::npos) << output;
        EXPECT_NE(output.find("done\n"), std::string::npos) << output;
    }
    std::filesystem::remove_all(folder);
}

struct BoxRun {
    const char* name;
    std::vector<std::string> box;
    int terminal;
    int cipher;
};

class CProgramBehindABox : public ::testing::TestWithParam<BoxRun> {};

// The box program: this computer made the box's master, a terminal's clock read, with and
// without the cipher, on both serial sides of the box.
TEST_P(CProgramBehindABox, SelectsTheBoxBecomesMasterAndReadsTheClock) {
    const BoxRun& run = GetParam();
    std::vector<std::string> args = run.box;
    args.insert(args.begin(), "box");
    args.insert(args.end(), {"--address", "127.0.0.2", "--port", "18499"});
    SimProcess box(args);
    ASSERT_EQ(box.readyLine(), "ready 127.0.0.2:18499\n");
    int status = -1;
    const std::string output =
        runProgram(std::string(KAVEX_BOX) + " 18500 127.0.0.2 18499 127.0.0.1 " +
                       std::to_string(run.terminal) + " " + std::to_string(run.cipher) + " 2>&1",
                   status);
    EXPECT_EQ(status, 0) << output;
    EXPECT_EQ(output.rfind("time ", 0), 0u) << output;
    EXPECT_EQ(output.size(), 12u) << output;  // "time hhmmss\n"
}

const BoxRun kBoxRuns[] = {
    {"MultiDrop", {"--serial-mode", "1", "--terminals", "1,2"}, 2, 0},
    {"MultiDropEnciphered", {"--serial-mode", "1", "--terminals", "1,2", "--encipher"}, 1, 1},
    {"OneTerminal", {"--serial-mode", "3"}, 0, 0},
    {"OneTerminalEnciphered", {"--serial-mode", "3", "--encipher", "--init-on-restart"}, 0, 1},
};

INSTANTIATE_TEST_SUITE_P(Kavex, CProgramBehindABox, ::testing::ValuesIn(kBoxRuns),
                         [](const auto& box) { return std::string(box.param.name); });

// A copy of libkavex.so alone in a folder, found first by the loader, finds no libselvoc.so
// beside it nor on the loader's path: the Selvo modes report error 10.
TEST(CProgramWithoutDriver, SelvoModesReportTheMissingDriver) {
    char pattern[] = "/tmp/kavex-alone-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::filesystem::path folder = pattern;
    const std::filesystem::path library = KAVEX_LIBRARY_FILE;
    std::filesystem::copy_file(library, folder / KAVEX_LIBRARY_SONAME);
    int status = -1;
    const std::string output = runProgram("LD_LIBRARY_PATH=" + folder.string() + " " +
                                              KAVEX_SESSION + " 1 0 0 0 1 X 2>&1",
                                          status);
    EXPECT_NE(status, 0);
    EXPECT_EQ(output, "InitCOMM failed: 10 SELVO dll not found: <>\n");
    std::filesystem::remove_all(folder);
}

INSTANTIATE_TEST_SUITE_P(Kavex, CProgram, ::testing::ValuesIn(kRuns),
                         [](const auto& mode) { return std::string(mode.param.name); });

}  // namespace
