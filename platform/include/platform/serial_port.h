// Serial ports behind one small interface: the real port (termios on a device file) and an
// in-memory port for unit tests share it, so the drivers above never know which one they use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

enum class Parity : uint8_t { None, Odd, Even, Mark, Space };

// Everything of a port setting that shows on the line.
struct LineSettings {
    int baud = 9600;
    int dataBits = 8;
    Parity parity = Parity::None;
    int stopBits = 1;
    bool xonXoff = false;  // software flow control in both directions (XON 0x11, XOFF 0x13)
    bool dtr = true;
    bool rts = true;

    bool operator==(const LineSettings&) const = default;
};

// Line error flags, numbered as the Windows communications interface numbers them, because
// callers report them to the user as one number.
enum LineError : uint32_t {
    kLineRxOverflow = 0x01,
    kLineOverrun = 0x02,
    kLineParity = 0x04,
    kLineFraming = 0x08,
    kLineBreak = 0x10,
};

class SerialPort {
public:
    virtual ~SerialPort() = default;

    // The file descriptor, reported to callers as the port handle; -1 for a port without one.
    virtual int handle() const = 0;

    virtual bool setBufferSizes(size_t receive, size_t transmit) = 0;
    // Applies a complete setting; false when the port refuses it (unknown baud included).
    virtual bool apply(const LineSettings& settings) = 0;
    // Reads the setting now in force; false when the port cannot tell.
    virtual bool readSettings(LineSettings& settings) = 0;
    // Makes reads return at once with whatever has arrived; writes wait at most writeTimeoutMs.
    virtual bool setImmediateReads(int writeTimeoutMs) = 0;

    // Discards what is queued in either direction.
    virtual bool purge(bool transmit, bool receive) = 0;
    // Writes all bytes; false when the port refused or wrote only part.
    virtual bool write(const uint8_t* data, size_t size) = 0;
    // Non-blocking: the number of bytes read, 0 when nothing has arrived, -1 on an error.
    virtual long read(uint8_t* data, size_t capacity) = 0;
    // Bytes written but not yet sent on the line.
    virtual size_t transmitQueue() = 0;
    // Returns the line error flags gathered since the last call and clears them.
    virtual uint32_t clearErrors() = 0;

    // Modem control lines; a port without them (a pseudo-terminal) quietly accepts.
    virtual void setDtr(bool on) = 0;
    virtual void setRts(bool on) = 0;
    // Data carrier detect; a port without modem lines reports it on.
    virtual bool carrierDetect() = 0;

    virtual bool close() = 0;

    bool write(const std::string& text) {
        return write(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    }
};

// The Windows-style name of port n: "COM1".."COM9", "\\.\com10".."\\.\com500".
std::string comPortName(int portNumber);

// The device file behind port n: the entry COM<n> of the folder $COM_PORT_DIR when that variable
// is set and not empty; otherwise the entry ports/COM<n> of the running program's folder when
// there is one (usually a link to /dev/ttyUSB*, /dev/serial/by-id/... or /dev/ttyS*, so that
// every program of an installation finds the same lines); otherwise /dev/ttyS<n-1>.
std::string devicePathForPort(int portNumber);

// Opens port n for exclusive reading and writing, in raw mode; nullptr when it cannot be opened.
std::unique_ptr<SerialPort> openSerialPort(int portNumber);

// Replaces how ports are opened (tests put in-memory ports in place); an empty function restores
// the real device files.
using PortOpener = std::function<std::unique_ptr<SerialPort>(int portNumber)>;
void setPortOpener(PortOpener opener);

}  // namespace platform
