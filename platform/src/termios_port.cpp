// The real serial port: a device file in raw mode, configured with termios.
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <optional>
#include <cerrno>
#include <utility>

#include "platform/clock.h"
#include "platform/serial_port.h"
#include "termios_flags.h"

namespace platform {
namespace {

struct BaudCode {
    int baud;
    speed_t code;
};

constexpr std::array<BaudCode, 10> kBaudCodes{{
    {300, B300}, {1200, B1200}, {2400, B2400}, {4800, B4800}, {9600, B9600},
    {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
}};

bool baudToCode(int baud, speed_t& code) {
    for (const auto& entry : kBaudCodes) {
        if (entry.baud == baud) {
            code = entry.code;
            return true;
        }
    }
    return false;
}

int codeToBaud(speed_t code) {
    for (const auto& entry : kBaudCodes) {
        if (entry.code == code) return entry.baud;
    }
    return 0;
}

void setParity(termios& tio, Parity parity) {
    tio.c_cflag &= ~static_cast<tcflag_t>(PARENB | PARODD | CMSPAR);
    tio.c_iflag &= ~static_cast<tcflag_t>(INPCK);
    switch (parity) {
        case Parity::None: return;
        case Parity::Odd: tio.c_cflag |= PARENB | PARODD; break;
        case Parity::Even: tio.c_cflag |= PARENB; break;
        case Parity::Mark: tio.c_cflag |= PARENB | CMSPAR | PARODD; break;
        case Parity::Space: tio.c_cflag |= PARENB | CMSPAR; break;
    }
    tio.c_iflag |= INPCK;
}

Parity parityOf(const termios& tio) {
    if ((tio.c_cflag & PARENB) == 0) return Parity::None;
    const bool odd = (tio.c_cflag & PARODD) != 0;
    if ((tio.c_cflag & CMSPAR) != 0) return odd ? Parity::Mark : Parity::Space;
    return odd ? Parity::Odd : Parity::Even;
}


}  // namespace

bool encodeLineSettings(const LineSettings& settings, termios& tio) {
    speed_t code{};
    if (!baudToCode(settings.baud, code) || settings.dataBits < 5 || settings.dataBits > 8) {
        return false;
    }
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | CRTSCTS);
    constexpr std::array<tcflag_t, 4> sizes{CS5, CS6, CS7, CS8};
    tio.c_cflag |= sizes[static_cast<size_t>(settings.dataBits - 5)];
    if (settings.stopBits == 2) tio.c_cflag |= CSTOPB;
    setParity(tio, settings.parity);
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    if (settings.xonXoff) tio.c_iflag |= IXON | IXOFF;
    tio.c_cc[VSTART] = 0x11;
    tio.c_cc[VSTOP] = 0x13;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, code);
    cfsetospeed(&tio, code);
    return true;
}

namespace {

class TermiosPort final : public SerialPort {
public:
    explicit TermiosPort(int fd) : fd_(fd), pseudoTerminal_(isPseudoTerminal(fd)) {
        countersSupported_ = readCounters(lastCounts_) || (errno != ENOTTY && errno != EINVAL);
    }
    ~TermiosPort() override { close(); }

    int handle() const override { return fd_; }

    // The kernel's queues have fixed sizes; the request is accepted as a hint.
    bool setBufferSizes(size_t, size_t) override { return fd_ >= 0; }

    // Only what changes is switched: the bus driver gives its address and data settings in
    // turn for every frame, and those differ in the parity alone, never in DTR or RTS.
    bool apply(const LineSettings& settings) override {
        if (fd_ < 0) return false;
        if (termiosInForce_ != settings) {
            termios tio{};
            termiosInForce_.reset();
            if (tcgetattr(fd_, &tio) != 0 || !encodeLineSettings(settings, tio)) return false;
            if (tcsetattr(fd_, TCSANOW, &tio) != 0 && !(pseudoTerminal_ && errno == EINVAL)) {
                return false;
            }
            termiosInForce_ = settings;
        }
        if (!modemLinesSet_ || dtr_ != settings.dtr) setDtr(settings.dtr);
        if (!modemLinesSet_ || rts_ != settings.rts) setRts(settings.rts);
        modemLinesSet_ = true;
        return true;
    }

    bool readSettings(LineSettings& settings) override {
        termios tio{};
        if (fd_ < 0 || tcgetattr(fd_, &tio) != 0) return false;
        settings.baud = codeToBaud(cfgetospeed(&tio));
        constexpr std::array<std::pair<tcflag_t, int>, 4> sizes{
            {{CS5, 5}, {CS6, 6}, {CS7, 7}, {CS8, 8}}};
        for (auto [flag, bits] : sizes) {
            if ((tio.c_cflag & CSIZE) == flag) settings.dataBits = bits;
        }
        settings.parity = parityOf(tio);
        settings.stopBits = (tio.c_cflag & CSTOPB) != 0 ? 2 : 1;
        settings.xonXoff = (tio.c_iflag & IXON) != 0;
        settings.dtr = dtr_;
        settings.rts = rts_;
        return true;
    }

    bool setImmediateReads(int writeTimeoutMs) override {
        writeTimeoutMs_ = writeTimeoutMs;
        return fd_ >= 0;
    }

    bool purge(bool transmit, bool receive) override {
        if (fd_ < 0) return false;
        if (transmit && receive) return tcflush(fd_, TCIOFLUSH) == 0;
        if (transmit) return tcflush(fd_, TCOFLUSH) == 0;
        if (receive) return tcflush(fd_, TCIFLUSH) == 0;
        return true;
    }

    bool write(const uint8_t* data, size_t size) override {
        if (fd_ < 0) return false;
        const int64_t deadline = writeTimeoutMs_ > 0
                                     ? counterNow() + int64_t{writeTimeoutMs_} * 1'000'000
                                     : INT64_MAX;
        size_t done = 0;
        while (done < size) {
            const ssize_t n = ::write(fd_, data + done, size - done);
            if (n > 0) {
                done += static_cast<size_t>(n);
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
            if (counterNow() >= deadline) return false;
            pollfd pfd{fd_, POLLOUT, 0};
            ::poll(&pfd, 1, 1);
        }
        return true;
    }

    long read(uint8_t* data, size_t capacity) override {
        if (fd_ < 0) return -1;
        const ssize_t n = ::read(fd_, data, capacity);
        if (n >= 0) return static_cast<long>(n);
        return (errno == EAGAIN || errno == EINTR) ? 0 : -1;
    }

    size_t transmitQueue() override {
        int queued = 0;
        if (fd_ < 0 || ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued < 0) return 0;
        return static_cast<size_t>(queued);
    }

    uint32_t clearErrors() override {
        serial_icounter_struct now{};
        if (!countersSupported_ || !readCounters(now)) return 0;
        uint32_t flags = 0;
        if (now.frame != lastCounts_.frame) flags |= kLineFraming;
        if (now.overrun != lastCounts_.overrun) flags |= kLineOverrun;
        if (now.parity != lastCounts_.parity) flags |= kLineParity;
        if (now.brk != lastCounts_.brk) flags |= kLineBreak;
        if (now.buf_overrun != lastCounts_.buf_overrun) flags |= kLineRxOverflow;
        lastCounts_ = now;
        return flags;
    }

    void setDtr(bool on) override {
        setModemLine(TIOCM_DTR, on);
        dtr_ = on;
    }
    void setRts(bool on) override {
        setModemLine(TIOCM_RTS, on);
        rts_ = on;
    }

    bool carrierDetect() override {
        int lines = 0;
        if (fd_ < 0 || ioctl(fd_, TIOCMGET, &lines) != 0) return true;
        return (lines & TIOCM_CAR) != 0;
    }

    bool close() override {
        if (fd_ < 0) return false;
        ioctl(fd_, TIOCNXCL);
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0;
    }

private:
    bool readCounters(serial_icounter_struct& counts) const {
        return fd_ >= 0 && ioctl(fd_, TIOCGICOUNT, &counts) == 0;
    }

    // A driver that refuses modem-line control (a pseudo-terminal) is not asked again: the line
    // driver applies a port setting, and with it DTR and RTS, between every two bytes.
    void setModemLine(int line, bool on) {
        if (fd_ < 0 || !modemLinesSupported_) return;
        if (ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &line) != 0 && (errno == ENOTTY || errno == EINVAL)) {
            modemLinesSupported_ = false;
        }
    }

    // A pseudo-terminal carries no parity bit: the kernel drops the parity flags and the C
    // library then reports the setting as refused, although everything else was taken.
    static bool isPseudoTerminal(int fd) {
        struct stat info {};
        if (fstat(fd, &info) != 0) return false;
        const unsigned deviceMajor = major(info.st_rdev);
        return S_ISCHR(info.st_mode) && deviceMajor >= kPtySlaveMajorFirst &&
               deviceMajor <= kPtySlaveMajorLast;
    }

    static constexpr unsigned kPtySlaveMajorFirst = 136;
    static constexpr unsigned kPtySlaveMajorLast = 143;

    int fd_;
    bool pseudoTerminal_;
    // A driver without line counters (pseudo-terminals, most USB adapters) never gains them; not
    // asking again spares the busy loops of the line driver a system call per read.
    bool countersSupported_ = false;
    bool modemLinesSupported_ = true;
    int writeTimeoutMs_ = 0;
    bool dtr_ = false;
    bool rts_ = false;
    bool modemLinesSet_ = false;  // DTR and RTS were set since opening
    // The settings tcsetattr was last given (DTR and RTS aside); none until the first.
    std::optional<LineSettings> termiosInForce_;
    serial_icounter_struct lastCounts_{};
};

std::unique_ptr<SerialPort> openDeviceFile(int portNumber) {
    const std::string path = devicePathForPort(portNumber);
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    termios tio{};
    if (!isatty(fd) || ioctl(fd, TIOCEXCL) != 0 || tcgetattr(fd, &tio) != 0) {
        ::close(fd);
        return nullptr;
    }
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    tcsetattr(fd, TCSANOW, &tio);
    return std::make_unique<TermiosPort>(fd);
}

PortOpener& portOpener() {
    static PortOpener opener;
    return opener;
}

}  // namespace

void setPortOpener(PortOpener opener) { portOpener() = std::move(opener); }

std::unique_ptr<SerialPort> openSerialPort(int portNumber) {
    if (portOpener()) return portOpener()(portNumber);
    return openDeviceFile(portNumber);
}

}  // namespace platform
