// Port numbers to names and to device files: COM_PORT_DIR, then the links in ports/ beside the
// running program, then /dev/ttyS<n-1>.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/serial_port.h"
#include "pseudo_terminal.h"

namespace {

namespace fs = std::filesystem;

struct NameCase {
    int port;
    const char* name;
};

TEST(PortNames, WindowsNamesByNumber) {
    const NameCase cases[] = {
        {1, "COM1"}, {9, "COM9"}, {10, "\\\\.\\com10"}, {500, "\\\\.\\com500"}};
    for (const auto& c : cases) EXPECT_EQ(platform::comPortName(c.port), c.name) << c.port;
}

TEST(PortNames, DeviceFileFollowsComPortDir) {
    unsetenv("COM_PORT_DIR");
    EXPECT_EQ(platform::devicePathForPort(1), "/dev/ttyS0");
    EXPECT_EQ(platform::devicePathForPort(12), "/dev/ttyS11");
    setenv("COM_PORT_DIR", "/tmp/ports", 1);
    EXPECT_EQ(platform::devicePathForPort(12), "/tmp/ports/COM12");
    setenv("COM_PORT_DIR", "", 1);
    EXPECT_EQ(platform::devicePathForPort(3), "/dev/ttyS2");
    unsetenv("COM_PORT_DIR");
}

// A link ports/COM487 beside this test program to a pseudo-terminal. The folder is made for the
// test unless the build made it, and only then removed again; 487 is a port no other test uses.
class ProgramFolderPorts : public ::testing::Test {
protected:
    static constexpr int kPort = 487;

    void SetUp() override {
        unsetenv("COM_PORT_DIR");
        folder = fs::read_symlink("/proc/self/exe").parent_path() / "ports";
        madeFolder = fs::create_directories(folder);
        link = folder / ("COM" + std::to_string(kPort));
        ASSERT_FALSE(fs::exists(fs::symlink_status(link))) << link << " is left from another run";
        master = platform_test::openRawPseudoTerminal();
        ASSERT_GE(master, 0);
        fs::create_symlink(ptsname(master), link);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove(link, ignored);
        if (madeFolder) fs::remove(folder, ignored);
        if (master >= 0) close(master);
        unsetenv("COM_PORT_DIR");
    }

    fs::path folder;
    fs::path link;
    bool madeFolder = false;
    int master = -1;
};

TEST_F(ProgramFolderPorts, ALinkBesideTheProgramIsOpenedWithoutComPortDir) {
    EXPECT_EQ(platform::devicePathForPort(kPort), link.string());
    EXPECT_EQ(platform::devicePathForPort(kPort + 1), "/dev/ttyS" + std::to_string(kPort))
        << "a port without a link";
    auto port = platform::openSerialPort(kPort);
    ASSERT_NE(port, nullptr);
    ASSERT_TRUE(port->write(std::string("PING\r")));
    char buffer[16] = {};
    ssize_t n = 0;
    for (int i = 0; i < 1000 && n <= 0; ++i) {
        n = read(master, buffer, sizeof buffer);
        if (n <= 0) usleep(1000);
    }
    EXPECT_EQ(std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0), "PING\r");
    EXPECT_TRUE(port->close());
}

TEST_F(ProgramFolderPorts, ComPortDirStillComesFirstWhenSet) {
    setenv("COM_PORT_DIR", "/tmp/elsewhere", 1);
    EXPECT_EQ(platform::devicePathForPort(kPort), "/tmp/elsewhere/COM487");
    setenv("COM_PORT_DIR", "", 1);
    EXPECT_EQ(platform::devicePathForPort(kPort), link.string()) << "an empty one counts as unset";
}

TEST_F(ProgramFolderPorts, ALinkToADeviceThatIsGoneIsStillThePort) {
    fs::remove(link);
    fs::create_symlink(folder / "unplugged-adapter", link);
    EXPECT_EQ(platform::devicePathForPort(kPort), link.string())
        << "no other line is opened in its place";
    EXPECT_EQ(platform::openSerialPort(kPort), nullptr);
}

}  // namespace
