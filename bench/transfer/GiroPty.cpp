#include "GiroPty.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "Tabella.h"
#include "sim/line_device.h"
#include "sim/pty_link.h"

namespace zentar::bench {

namespace {

constexpr int kGiri = 2000;
constexpr int kPorta = 1;
constexpr double kAttesaMassimaS = 1.0;

class Eco final : public sim::LineDevice {
public:
    void received(const uint8_t* data, size_t size, int64_t, std::string& out) override
    {
        out.append(reinterpret_cast<const char*>(data), size);
    }
};

int apriGrezzo(const std::string& percorso)
{
    const int fd = open(percorso.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) throw std::runtime_error("cannot open " + percorso);
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    tcsetattr(fd, TCSANOW, &tio);
    return fd;
}

// One byte there and back, read the way the line driver reads: without blocking, in a busy loop.
double unGiro(int fd)
{
    const uint8_t byte = 'A';
    const double inizio = Secondi();
    if (write(fd, &byte, 1) != 1) throw std::runtime_error("write to the pseudo-terminal failed");
    uint8_t tornato = 0;
    while (read(fd, &tornato, 1) != 1) {
        if (Secondi() - inizio > kAttesaMassimaS) throw std::runtime_error("no echo from the pseudo-terminal");
    }
    return Secondi() - inizio;
}

}  // namespace

double GiroPty()
{
    const std::filesystem::path cartella =
        std::filesystem::temp_directory_path() / ("bench-pty-" + std::to_string(getpid()));
    std::vector<double> giri;
    {
        sim::PtyLink link(cartella.string(), kPorta, std::make_shared<Eco>());
        link.start();
        const int fd = apriGrezzo(link.linkPath());
        for (int i = 0; i < kGiri; ++i) giri.push_back(unGiro(fd));
        close(fd);
    }
    std::filesystem::remove_all(cartella);
    std::nth_element(giri.begin(), giri.begin() + kGiri / 2, giri.end());
    return giri[kGiri / 2];
}

}  // namespace zentar::bench
