#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/serial_port.h"

namespace platform {
namespace {

// The folder of the running program, "" when the system does not tell.
std::string programFolder() {
    char path[4096];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return {};
    const std::string program(path, static_cast<size_t>(length));
    const size_t slash = program.rfind('/');
    return slash == std::string::npos ? std::string() : program.substr(0, slash);
}

}  // namespace

std::string comPortName(int portNumber) {
    if (portNumber >= 1 && portNumber <= 9) {
        std::string name = "COM ";
        name[3] = static_cast<char>('0' + portNumber);
        return name;
    }
    return "\\\\.\\com" + std::to_string(portNumber);
}

std::string devicePathForPort(int portNumber) {
    const std::string entry = "COM" + std::to_string(portNumber);
    const char* folder = std::getenv("COM_PORT_DIR");
    if (folder != nullptr && *folder != '\0') return std::string(folder) + "/" + entry;
    // A link that points nowhere (the adapter unplugged) is still the port: opening it fails,
    // rather than opening another line.
    const std::string beside = programFolder();
    if (!beside.empty()) {
        const std::string link = beside + "/ports/" + entry;
        struct stat status {};
        if (::lstat(link.c_str(), &status) == 0) return link;
    }
    return "/dev/ttyS" + std::to_string(portNumber - 1);
}

}  // namespace platform
