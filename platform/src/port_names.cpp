#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/serial_port.h"

namespace platform {

std::string comPortName(int portNumber) {
    if (portNumber >= 1 && portNumber <= 9) {
        std::string name = "COM ";
        name[3] = static_cast<char>('0' + portNumber);
        return name;
    }
    return "\\\\.\\com" + std::to_string(portNumber);
}

std::string devicePathForPort(int portNumber) {
    const char* folder = std::getenv("COM_PORT_DIR");
    if (folder != nullptr && *folder != '\0') {
        return std::string(folder) + "/COM" + std::to_string(portNumber);
    }
    return "/dev/ttyS" + std::to_string(portNumber - 1);
}

}  // namespace platform
