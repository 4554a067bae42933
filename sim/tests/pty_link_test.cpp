// The pseudo-terminal link carries bytes both ways between a port opened by its COM name and a
// device, and survives the port being closed and opened again.
#include "sim/pty_link.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "bus_wire.h"
#include "serial_client.h"
#include "sim/selvo_bus.h"
#include "temporary_folder.h"

namespace {

namespace fs = std::filesystem;
using simtest::bytes;
using simtest::SerialClient;

// Tries for up to two seconds to open the slave as an unprivileged user (the privileged may open
// a port held for exclusive use anyway): the link clears the flag on its own thread once the
// last user has closed.
bool unprivilegedUserCanOpen(const std::string& slave) {
    constexpr uid_t kNobody = 65534;
    if (geteuid() == 0 && chmod(slave.c_str(), 0666) != 0) return false;
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && setuid(kNobody) != 0) _exit(2);
        for (int attempt = 0; attempt < 200; ++attempt) {
            const int fd = open(slave.c_str(), O_RDWR | O_NOCTTY);
            if (fd >= 0) _exit(0);
            usleep(10'000);
        }
        _exit(1);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

class PtyLinkTest : public ::testing::Test {
protected:
    PtyLinkTest() { bus->attach(5, station); }

    simtest::TemporaryFolder temporary;
    const fs::path& folder = temporary.path();
    std::shared_ptr<sim::SelvoBus> bus = std::make_shared<sim::SelvoBus>();
    std::shared_ptr<sim::QueueStation> station = std::make_shared<sim::QueueStation>(true);
};

TEST_F(PtyLinkTest, CarriesBytesBothWaysUnalteredAndSurvivesReopening) {
    // A link left behind by an earlier run is replaced.
    fs::create_directories(folder / "ports");
    fs::create_symlink("/nonexistent", folder / "ports" / "COM3");
    sim::PtyLink link((folder / "ports").string(), 3, bus);
    link.start();
    EXPECT_EQ(link.linkPath(), (folder / "ports" / "COM3").string());
    EXPECT_EQ(fs::read_symlink(link.linkPath()), link.slavePath());

    // Opened without any set-up of ours: the link made the line raw, so 0x03 is no interrupt,
    // CR and LF are not translated and nothing is echoed.
    SerialClient port(link.linkPath());
    ASSERT_TRUE(port.isOpen());
    const std::string text = "A\r\nB";
    ASSERT_TRUE(
        port.write(bytes({5, 7}) + text + static_cast<char>('A' ^ '\r' ^ '\n' ^ 'B') + '\0'));
    EXPECT_EQ(port.read(1), "P");
    ASSERT_TRUE(port.write(bytes({5, 3})));
    EXPECT_EQ(port.read(8),
              bytes({'T', 5}) + text + static_cast<char>(5 ^ 'A' ^ '\r' ^ '\n' ^ 'B') + '\0');
    ASSERT_TRUE(port.write(bytes({5, 'a'})));
    EXPECT_EQ(port.readFor(50), "") << "nothing comes back but answers";

    // The libraries open their port for exclusive use; once closed, anyone may open it again.
    ASSERT_EQ(ioctl(port.fd(), TIOCEXCL), 0);
    port.close();
    EXPECT_TRUE(unprivilegedUserCanOpen(link.slavePath()));
    SerialClient again(link.linkPath());
    ASSERT_TRUE(again.isOpen());
    ASSERT_TRUE(again.write(bytes({5, 3})));
    EXPECT_EQ(again.read(1), "P");
    EXPECT_EQ(station->received(), std::vector<std::string>{text});
}

TEST_F(PtyLinkTest, RemovesItsLinkWhenDestroyed) {
    std::string path;
    {
        sim::PtyLink link(folder.string(), 12, bus);
        path = link.linkPath();
        EXPECT_TRUE(fs::is_symlink(path));
    }
    EXPECT_FALSE(fs::exists(fs::symlink_status(path)));
}

TEST_F(PtyLinkTest, ThrowsWhenTheLinkCannotBeMade) {
    const fs::path file = folder / "plain-file";
    { std::ofstream(file) << "x"; }
    EXPECT_THROW(sim::PtyLink((file / "sub").string(), 1, bus), std::runtime_error);
}

}  // namespace
