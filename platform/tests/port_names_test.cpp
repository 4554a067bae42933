#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/serial_port.h"

namespace {

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

}  // namespace
