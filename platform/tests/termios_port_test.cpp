// The real port layer over a pseudo-terminal reached through COM_PORT_DIR.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/serial_port.h"
#include "pseudo_terminal.h"
#include "../src/termios_flags.h"

namespace {

namespace fs = std::filesystem;
using platform::LineSettings;
using platform::Parity;

class TermiosPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/ports-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        master = platform_test::openRawPseudoTerminal();
        ASSERT_GE(master, 0);
        fs::create_symlink(ptsname(master), folder / "COM7");
        setenv("COM_PORT_DIR", folder.c_str(), 1);
    }
    void TearDown() override {
        close(master);
        fs::remove_all(folder);
        unsetenv("COM_PORT_DIR");
    }
    std::string readMaster() {
        std::string text;
        char buffer[64];
        for (int i = 0; i < 100 && text.empty(); ++i) {
            const ssize_t n = read(master, buffer, sizeof buffer);
            if (n > 0) text.assign(buffer, static_cast<size_t>(n));
            else usleep(1000);
        }
        return text;
    }
    fs::path folder;
    int master = -1;
};

TEST_F(TermiosPortTest, OpensThroughTheFolderAndCarriesBytesBothWays) {
    auto port = platform::openSerialPort(7);
    ASSERT_NE(port, nullptr);
    EXPECT_GE(port->handle(), 0);
    ASSERT_TRUE(port->apply(LineSettings{.baud = 57600, .parity = Parity::Space}));
    uint8_t buffer[16];
    EXPECT_EQ(port->read(buffer, sizeof buffer), 0) << "reads return at once";
    EXPECT_TRUE(port->write(std::string("HELLO\r")));
    EXPECT_EQ(readMaster(), "HELLO\r");
    ASSERT_EQ(write(master, "OK\r", 3), 3);
    long n = 0;
    for (int i = 0; i < 100 && n == 0; ++i) {
        n = port->read(buffer, sizeof buffer);
        if (n == 0) usleep(1000);
    }
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), static_cast<size_t>(n)), "OK\r");
    EXPECT_EQ(port->transmitQueue(), 0u);
    EXPECT_EQ(port->clearErrors(), 0u) << "a pseudo-terminal reports no line errors";
    EXPECT_TRUE(port->close());
}

struct FlagCase {
    LineSettings settings;
    tcflag_t cflagSet;
    tcflag_t cflagClear;
    tcflag_t iflagSet;
};

// A pseudo-terminal keeps neither parity nor character size, so the flags are checked as built.
TEST(TermiosFlags, ParityAndSizeBecomeTheirFlags) {
    const FlagCase cases[] = {
        {{.baud = 57600, .parity = Parity::Mark}, PARENB | CMSPAR | PARODD | CS8, 0, INPCK},
        {{.baud = 57600, .parity = Parity::Space}, PARENB | CMSPAR | CS8, PARODD, INPCK},
        {{.baud = 9600, .dataBits = 7, .parity = Parity::Odd}, PARENB | PARODD | CS7, CMSPAR, INPCK},
        {{.baud = 9600, .dataBits = 7, .parity = Parity::Even}, PARENB | CS7, PARODD | CMSPAR, INPCK},
        {{.baud = 19200, .parity = Parity::None}, CS8, PARENB | CMSPAR, 0},
        {{.baud = 2400, .xonXoff = true}, CS8, PARENB, IXON | IXOFF},
    };
    for (const auto& c : cases) {
        termios tio{};
        ASSERT_TRUE(platform::encodeLineSettings(c.settings, tio));
        EXPECT_EQ(tio.c_cflag & c.cflagSet, c.cflagSet) << c.settings.baud;
        EXPECT_EQ(tio.c_cflag & c.cflagClear, 0u) << c.settings.baud;
        EXPECT_EQ(tio.c_iflag & c.iflagSet, c.iflagSet) << c.settings.baud;
        EXPECT_EQ(tio.c_cflag & CSIZE, c.settings.dataBits == 7 ? CS7 : CS8);
        EXPECT_EQ(tio.c_lflag & (ICANON | ECHO), 0u);
    }
}

TEST_F(TermiosPortTest, BaudAndFlowControlRoundTrip) {
    auto port = platform::openSerialPort(7);
    ASSERT_NE(port, nullptr);
    // Parity does not reach a pseudo-terminal, but a setting that asks for it is still taken.
    const LineSettings cases[] = {{.baud = 57600, .parity = Parity::Mark},
                                  {.baud = 57600, .parity = Parity::Space},
                                  {.baud = 1200, .dataBits = 7, .parity = Parity::Even, .xonXoff = true},
                                  {.baud = 38400, .dtr = false}};
    for (const auto& wanted : cases) {
        ASSERT_TRUE(port->apply(wanted)) << wanted.baud;
        LineSettings seen;
        ASSERT_TRUE(port->readSettings(seen));
        EXPECT_EQ(seen.baud, wanted.baud);
        EXPECT_EQ(seen.xonXoff, wanted.xonXoff);
        EXPECT_EQ(seen.dtr, wanted.dtr);
    }
}

TEST_F(TermiosPortTest, UnknownBaudIsRefusedNotReplaced) {
    auto port = platform::openSerialPort(7);
    ASSERT_NE(port, nullptr);
    ASSERT_TRUE(port->apply(LineSettings{.baud = 9600}));
    EXPECT_FALSE(port->apply(LineSettings{.baud = 12345}));
    LineSettings seen;
    ASSERT_TRUE(port->readSettings(seen));
    EXPECT_EQ(seen.baud, 9600);
}

TEST_F(TermiosPortTest, MissingDeviceAndNonTerminalFilesDoNotOpen) {
    EXPECT_EQ(platform::openSerialPort(8), nullptr);
    std::ofstream(folder / "COM9") << "not a terminal";
    EXPECT_EQ(platform::openSerialPort(9), nullptr);
}

TEST_F(TermiosPortTest, PurgeDropsWhatWaitsToBeRead) {
    auto port = platform::openSerialPort(7);
    ASSERT_NE(port, nullptr);
    ASSERT_EQ(write(master, "stale", 5), 5);
    usleep(20000);
    EXPECT_TRUE(port->purge(true, true));
    uint8_t buffer[8];
    EXPECT_EQ(port->read(buffer, sizeof buffer), 0);
}

}  // namespace
