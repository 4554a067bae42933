// The program kavex-sim: announces its link, serves a bus on it, and removes the link when told
// to stop.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "serial_client.h"
#include "temporary_folder.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using simtest::SerialClient;

struct SimProcess {
    pid_t pid = -1;
    std::FILE* output = nullptr;  // the program's standard output
};

SimProcess start(std::vector<std::string> args) {
    args.insert(args.begin(), KAVEX_SIM_PATH);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    SimProcess run;
    if (posix_spawn(&run.pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) run.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    run.output = fdopen(pipeFds[0], "r");
    return run;
}

std::string firstLine(const SimProcess& run) {
    char line[512] = "";
    if (std::fgets(line, sizeof line, run.output) == nullptr) return "";
    return line;
}

int exitStatus(SimProcess& run) {
    int status = 0;
    waitpid(run.pid, &status, 0);
    std::fclose(run.output);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class KavexSimTest : public ::testing::Test {
protected:
    simtest::TemporaryFolder temporary;
    const fs::path& folder = temporary.path();
};

TEST_F(KavexSimTest, BusServesEchoingStationsUntilTerminated) {
    SimProcess run =
        start({"bus", "--dir", folder.string(), "--port", "4", "--terminals", "2,9", "--ack", "Q"});
    ASSERT_GT(run.pid, 0);
    const std::string link = (folder / "COM4").string();
    ASSERT_EQ(firstLine(run), "ready " + link + "\n");

    SerialClient port(link);
    ASSERT_TRUE(port.isOpen());
    port.write(std::string("\x09\x03", 2));
    EXPECT_EQ(port.read(1), "Q");
    port.write(std::string("\x09\x07"
                           "HI\x01",
                           5) +
               '\0');
    EXPECT_EQ(port.read(1), "Q");
    port.write(std::string("\x09\x03", 2));
    EXPECT_EQ(port.read(6), std::string("T\x09HI\x08", 5) + '\0');
    port.write(std::string("\x02\x03", 2));
    EXPECT_EQ(port.read(1), "Q") << "the other station has nothing for us";
    port.close();

    kill(run.pid, SIGTERM);
    EXPECT_EQ(exitStatus(run), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
}

TEST_F(KavexSimTest, RadioBusTakesTheStartUpThenFrames) {
    SimProcess run = start({"bus", "--dir", folder.string(), "--port", "5", "--radio"});
    ASSERT_GT(run.pid, 0);
    ASSERT_EQ(firstLine(run), "ready " + (folder / "COM5").string() + "\n");
    SerialClient port((folder / "COM5").string());
    port.write("+++");
    EXPECT_EQ(port.read(4), "OK\r\n") << "after the guard time";
    port.write("ATO\r");
    EXPECT_EQ(port.read(4), "OK\r\n");
    port.write(std::string("\x01\x03", 2));
    EXPECT_EQ(port.read(1), "P");
    kill(run.pid, SIGINT);
    EXPECT_EQ(exitStatus(run), 0);
}

TEST_F(KavexSimTest, BadArgumentsAreRefusedWithUsageStatus) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"nosuch"},
        {"bus", "--port", "3"},
        {"bus", "--dir", folder.string(), "--port", "501"},
        {"bus", "--dir", folder.string(), "--port", "3", "--terminals", "1,x"},
        {"bus", "--dir", folder.string(), "--port", "3", "--terminals", "0"},
        {"bus", "--dir", folder.string(), "--port", "3", "--garbled"},
        {"bus", "--dir", folder.string(), "--port", "3", "--ack", "Z"},
        {"bus", "--dir", folder.string(), "--port", "3", "--loud"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        SimProcess run = start(args);
        ASSERT_GT(run.pid, 0);
        EXPECT_EQ(firstLine(run), "");
        EXPECT_EQ(exitStatus(run), 2);
    }
    EXPECT_FALSE(fs::exists(folder / "COM3"));
}

}  // namespace
