#include "rs232_transport.h"

#include <array>
#include <cstdio>

#include "errors.h"
#include "exchange.h"
#include "kavex.h"
#include "library_state.h"
#include "platform/clock.h"
#include "rs232_lines.h"

namespace kavex {
namespace {

constexpr uint8_t kCarriageReturn = 0x0D;
constexpr uint8_t kLineFeed = 0x0A;
constexpr uint8_t kXon = 0x11;
constexpr uint8_t kXoff = 0x13;
constexpr uint32_t kFramingAndBreak = platform::kLineFraming | platform::kLineBreak;
constexpr uint32_t kEmptyReadPauseMs = 10;
constexpr uint32_t kBreakPauseMs = 250;
constexpr int kTakeReplyAttempts = 1024;
constexpr const char* kNoCarrier = "NO CARRIER";

struct CharacterFormat {
    int dataBits;
    platform::Parity parity;
};

constexpr std::array<CharacterFormat, 5> kFormats{{
    {8, platform::Parity::None},
    {7, platform::Parity::Odd},
    {7, platform::Parity::Even},
    {8, platform::Parity::Odd},
    {8, platform::Parity::Even},
}};

platform::LineSettings rs232Settings(int32_t baud, int32_t format) {
    const CharacterFormat& f = kFormats.at(static_cast<size_t>(format));
    return platform::LineSettings{.baud = baud,
                                  .dataBits = f.dataBits,
                                  .parity = f.parity,
                                  .stopBits = 1,
                                  .xonXoff = true,
                                  .dtr = true,
                                  .rts = true};
}

// Refuses a set-up step: closes the port and sets the step's error.
std::unique_ptr<Rs232Transport> refuse(std::unique_ptr<platform::SerialPort>& port, int32_t error) {
    port->close();
    setError(error);
    return nullptr;
}

// Turns a complete mode-2 line into the reply, with the terminal number checked.
int finishLineDriverLine(const std::string& line, char* out, size_t skip, bool checkNumber) {
    if (line.size() < 4 && checkNumber) {
        setError(ErrCannotReceive);
        return -1;
    }
    if (const int32_t failure = lineDriverFailure(line); failure != 0) {
        setError(failure);
        return -1;
    }
    if (!checkNumber) {
        copyText(out, kReplyCapacity, line);
        platform::sleepMs(kEmptyReadPauseMs);
        return 0;
    }
    copyText(out, kReplyCapacity, line.size() > skip ? line.substr(skip) : std::string{});
    if (lineDriverNumber(line) != state().selectedTerminal) {
        setError(ErrWrongTerminal);
        return -1;
    }
    return 0;
}

}  // namespace

std::unique_ptr<Rs232Transport> Rs232Transport::open(int32_t port, int32_t baud, int32_t format) {
    std::unique_ptr<platform::SerialPort> serial = platform::openSerialPort(port);
    if (!serial) {
        hCommId = -1;
        setError(ErrRs232Open);
        return nullptr;
    }
    hCommId = serial->handle();
    if (!serial->setBufferSizes(8192, 256)) return refuse(serial, ErrRs232Setup);
    platform::LineSettings current;
    if (!serial->readSettings(current)) return refuse(serial, ErrGetComState);
    const platform::LineSettings settings = rs232Settings(baud, format);
    if (!serial->apply(settings)) return refuse(serial, ErrSetComState);
    if (!serial->setImmediateReads(0)) return refuse(serial, ErrSetComTimeouts);
    if (!serial->purge(true, true)) return refuse(serial, ErrFlushTransmit);
    return std::make_unique<Rs232Transport>(std::move(serial), settings);
}

bool Rs232Transport::holdDtr(bool on) {
    platform::LineSettings settings = settings_;
    settings.dtr = on;
    return port_->apply(settings);
}

std::string Rs232Transport::framed(const std::string& command) const {
    if (state().openMode != ModeLineDriver) return command + '\r';
    char number[8];
    std::snprintf(number, sizeof number, "%03d", state().selectedTerminal);
    return number + command + '\r';
}

void Rs232Transport::purge(bool transmit, bool receive) {
    if (receive && call_ == Call::Up) {
        std::string waiting;
        uint8_t bytes[256];
        for (long count; (count = port_->read(bytes, sizeof bytes)) > 0;) {
            waiting.append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(count));
        }
        if (waiting.find(kNoCarrier) != std::string::npos) call_ = Call::Lost;
    }
    port_->purge(transmit, receive);
}

SendResult Rs232Transport::send(const std::string& command, char* reply) {
    port_->clearErrors();
    purge(true, true);
    if (!port_->write(framed(command))) {
        setWindowsError(port_->clearErrors());
        return SendResult::Failed;
    }
    if (state().echoFlag) {
        // Takes the echoed command off the line.
        readReply(reply, waitUnits(state().responseTimeout));
    }
    return SendResult::Sent;
}

int Rs232Transport::post(const std::string& command) {
    port_->purge(true, false);
    port_->write(framed(command));
    return 0;
}

bool Rs232Transport::endsTheCall(const std::string& text, char* line) {
    if (call_ == Call::Up && text == kNoCarrier) call_ = Call::Lost;
    if (call_ != Call::Lost) return false;
    copyText(line, kReplyCapacity, kNoCarrier);
    setError(ErrNoReply);
    return true;
}

int Rs232Transport::readLine(char* line, uint32_t timeLimitMs) {
    if (endsTheCall({}, line)) return -1;
    const uint32_t start = platform::tickCountMs();
    LineAssembler assembler;
    for (;;) {
        uint8_t byte = 0;
        if (port_->read(&byte, 1) == 1) {
            const bool atStart = assembler.empty();
            if (byte == kCarriageReturn) break;
            if (byte == kXon || byte == kXoff || (atStart && (byte == 0 || byte == kLineFeed))) {
                // skipped
            } else if (!assembler.add(byte)) {
                setError(ErrRecordOverflow);
                return -1;
            }
        } else {
            const uint32_t flags = port_->clearErrors();
            if (flags != 0) {
                setWindowsError(flags);
                if (flags != kFramingAndBreak) return -1;
                platform::sleepMs(kBreakPauseMs);
            }
            platform::sleepMs(kEmptyReadPauseMs);
        }
        if (platform::tickCountMs() - start > timeLimitMs) {
            setError(assembler.empty() ? ErrNoReply : ErrBadEndOfRecord);
            return -1;
        }
    }
    const std::string& text = assembler.text();
    if (endsTheCall(text, line)) return -1;
    if (state().openMode == ModeLineDriver) {
        const size_t skip = 3 + static_cast<size_t>(state().stampLength);
        return finishLineDriverLine(text, line, skip, state().addressCheck);
    }
    copyText(line, kReplyCapacity, text);
    platform::sleepMs(kEmptyReadPauseMs);
    return 0;
}

int Rs232Transport::takeReply(char* reply) {
    if (endsTheCall({}, reply)) return -1;
    LineAssembler assembler;
    for (int attempt = 0; attempt < kTakeReplyAttempts; ++attempt) {
        uint8_t byte = 0;
        if (port_->read(&byte, 1) == 1) {
            if (byte == kLineFeed && assembler.empty()) continue;
            if (byte == kCarriageReturn) {
                if (endsTheCall(assembler.text(), reply)) return -1;
                if (state().openMode == ModeLineDriver) {
                    return finishLineDriverLine(assembler.text(), reply, 3, true);
                }
                copyText(reply, kReplyCapacity, assembler.text());
                return 0;
            }
            if (!assembler.add(byte)) {
                setError(ErrRecordOverflow);
                return -1;
            }
            continue;
        }
        if (const uint32_t flags = port_->clearErrors(); flags != 0) {
            setWindowsError(flags);
            return -1;
        }
        if (assembler.empty()) {
            setError(ErrNoReply);
            return -1;
        }
    }
    setError(ErrBadEndOfRecord);
    return -1;
}

int Rs232Transport::close() {
    purge(true, true);
    if (state().openMode == ModeLineDriver) {
        port_->write(std::string(">P0\r"));
        platform::sleepMs(200);
    }
    if (!port_->close()) {
        setError(ErrCloseRs232);
        return -1;
    }
    return 0;
}

}  // namespace kavex
