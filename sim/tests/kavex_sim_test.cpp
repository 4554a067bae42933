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
#include <fstream>
#include <string>
#include <vector>

#include "box_client.h"
#include "cipher_algorithm.h"
#include "serial_client.h"
#include "sim/bus_frame_parser.h"
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

// Each subcommand with simulated terminals: the exact answer to a first exchange on its link.
TEST_F(KavexSimTest, TerminalsAnswerOnEveryKindOfLine) {
    const fs::path seed = folder / "seed";
    fs::create_directories(seed);
    std::ofstream(seed / "ABC") << "x\n";
    auto busMessage = [](char address, const std::string& text, uint8_t checksum) {
        return std::string(1, address) + '\x07' + text + static_cast<char>(checksum) + '\0';
    };
    struct Case {
        std::vector<std::string> args;
        std::vector<std::pair<std::string, std::string>> exchanges;  // written, then read
    };
    const std::vector<Case> cases = {
        {{"rs232", "--echo", "--model", "Kestrum"}, {{"%XI\r", "%XI\rKestrum V3.20\r"}}},
        {{"rs232", "--files", seed.string()},
         {{"@TYPE ABC\r", "@TYPE ABC\r"},
          {"\r", "x\r"},
          {"\r",
           "\x04"
           "1 RECS 120\r"}}},
        {{"rs232", "--modem-speed", "2400", "--model", "Tirel"},
         {{"AT\r", "AT\r\r\nOK\r\n"},
          {"ATD5551234\r", "ATD5551234\r\r\nCONNECT 2400\r\n"},
          {"%XI\r", "Tirel V3.20\r"}}},
        {{"relay", "--modem", "--modem-dial", "busy"}, {{"ATD1\r", "ATD1\r\r\nBUSY\r\n"}}},
        {{"linedriver", "--terminals", "3,8", "--stamp", "6"},
         {{"&\r>PS008\r008%XI\r", "008Pello V3.20\r"}}},
        {{"relay", "--terminals", "4", "--model-of", "4=Ovrid", "--password", "9"},
         {{"@PW 9\rLOGON 004\r", "@PW 9\rLOGON 004\r"}, {"%XI\r", "..\r"}}},
        {{"bus", "--sim-terminals", "6", "--wrong-counts", "1"},
         {{busMessage('\x06', "@DIR Z", sim::messageChecksum("@DIR Z")), "P"},
          {"\x06\x03", "T\x06@DIR Z" +
                           std::string(1, static_cast<char>(sim::messageChecksum("\x06@DIR Z"))) +
                           '\0'},
          {"\x06"
           "a\x06\x03",
           "T\x06\x04"
           "1" +
               std::string(1, static_cast<char>(sim::messageChecksum("\x06\x04"
                                                                     "1"))) +
               '\0'}}},
    };
    int port = 10;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        std::vector<std::string> args = c.args;
        ++port;
        args.insert(args.end(), {"--dir", folder.string(), "--port", std::to_string(port)});
        SimProcess run = start(args);
        ASSERT_GT(run.pid, 0);
        const std::string link = (folder / ("COM" + std::to_string(port))).string();
        ASSERT_EQ(firstLine(run), "ready " + link + "\n");
        SerialClient line(link);
        ASSERT_TRUE(line.isOpen());
        for (const auto& [written, answer] : c.exchanges) {
            line.write(written);
            EXPECT_EQ(line.read(answer.size()), answer) << testing::PrintToString(written);
        }
        line.close();
        kill(run.pid, SIGTERM);
        EXPECT_EQ(exitStatus(run), 0);
    }
}

// A box with one terminal directly and the cipher on; a second box cannot take its port.
TEST_F(KavexSimTest, BoxAnswersOnLoopbackUdpUntilTerminated) {
    SimProcess run = start({"box", "--port", "0", "--serial-mode", "3", "--encipher"});
    ASSERT_GT(run.pid, 0);
    const std::string ready = firstLine(run);
    const std::string prefix = "ready 127.0.0.2:";
    ASSERT_EQ(ready.substr(0, prefix.size()), prefix);
    const std::string port = ready.substr(prefix.size(), ready.size() - prefix.size() - 1);

    simtest::BoxClient client;
    const auto boxPort = static_cast<uint16_t>(std::stoi(port));
    client.send(sim::plainDatagram(sim::packet::kBoxCommand, 0, "X"), "127.0.0.2", boxPort);
    const auto status = client.receive();
    ASSERT_TRUE(status);
    EXPECT_EQ(status->datagram,
              sim::plainDatagram(sim::packet::kBoxCommand, 0, "V2.1 C1 A127.0.0.2 M-\r"));
    client.send(sim::plainDatagram(sim::packet::kData, 1, "%XI\r"), "127.0.0.2", boxPort);
    const auto ack = client.receive();
    const auto reply = client.receive();
    ASSERT_TRUE(ack && reply);
    EXPECT_EQ(ack->datagram, sim::emptyDatagram(sim::packet::kAck, 1));
    EXPECT_EQ(reply->datagram.type, sim::packet::kEncipheredData);
    EXPECT_EQ(kavex::decipherWithKey(reply->datagram.payload.data(), reply->datagram.payload.size(),
                                     kavex::kDefaultCipherKey),
              "Pello V3.20\r");

    SimProcess second = start({"box", "--port", port});
    ASSERT_GT(second.pid, 0);
    EXPECT_EQ(firstLine(second), "");
    EXPECT_EQ(exitStatus(second), 1);

    kill(run.pid, SIGTERM);
    EXPECT_EQ(exitStatus(run), 0);
}

TEST_F(KavexSimTest, TerminalSetUpThatCannotBeMadeFails) {
    SimProcess run = start({"rs232", "--dir", folder.string(), "--port", "3", "--files",
                            (folder / "missing").string()});
    ASSERT_GT(run.pid, 0);
    EXPECT_EQ(firstLine(run), "");
    EXPECT_EQ(exitStatus(run), 1);
}

// --help and --version answer on standard output and end with status 0.
TEST_F(KavexSimTest, HelpAndVersionAnswerOnStandardOutput) {
    const struct {
        std::vector<std::string> args;
        std::string begins;
    } cases[] = {
        {{"--help"}, "usage: kavex-sim <subcommand>"},
        {{"-h"}, "usage: kavex-sim <subcommand>"},
        {{"--version"}, "kavex-sim " KAVEX_SIM_VERSION "\n"},
        {{"box", "--help"}, "usage: kavex-sim box [options]"},
        {{"rs232", "-h"}, "usage: kavex-sim rs232 [options]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front());
        SimProcess run = start(c.args);
        ASSERT_GT(run.pid, 0);
        EXPECT_EQ(firstLine(run).rfind(c.begins, 0), 0u);
        EXPECT_EQ(exitStatus(run), 0);
    }
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
        {"rs232", "--dir", folder.string(), "--port", "3", "--stamp", "6"},
        {"rs232", "--dir", folder.string(), "--port", "3", "--param", "100=x"},
        {"rs232", "--dir", folder.string(), "--port", "3", "--param", "7"},
        {"rs232", "--dir", folder.string(), "--port", "3", "--drives", "AD"},
        {"rs232", "--port", "3"},
        {"linedriver", "--dir", folder.string(), "--port", "3", "--stamp", "7"},
        {"linedriver", "--dir", folder.string(), "--port", "3", "--terminals", "255"},
        {"relay", "--dir", folder.string(), "--port", "3", "--terminals", "32"},
        {"rs232", "--dir", folder.string(), "--port", "3", "--modem-dial", "later"},
        {"linedriver", "--dir", folder.string(), "--port", "3", "--modem-speed", "0"},
        {"box", "--address", "10.0.0.1"},
        {"box", "--address", "localhost"},
        {"box", "--port", "65536"},
        {"box", "--serial-mode", "2"},
        {"box", "--terminals", "255"},
        {"box", "--key", "0123456789ABCDE"},
        {"box", "--lose-sent"},
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
