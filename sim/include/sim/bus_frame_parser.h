// Cuts the computer's byte stream on the Selvo bus into frames. Without the ninth bit the
// address byte is known by its place: the first byte after a complete frame. The only byte the
// computer sends outside a frame is the echo probe, a lone "1" at start-up, followed by a pause
// while it waits for the echo.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

enum class FrameKind {
    Poll,     // address, poll code (3 or 6) or "R" asking for the last answer again
    Message,  // address, 0x07, text, checksum, 0x00
    Ack,      // address, "a": the station's message arrived
    Probe,    // the lone "1" of the echo test
    Stray,    // a byte that starts no frame
};

struct BusFrame {
    FrameKind kind = FrameKind::Stray;
    uint8_t address = 0;  // Stray: the byte itself
    uint8_t code = 0;     // Poll: the byte after the address
    std::string text;     // Message: the text without its checksum
    bool checksumOk = false;
};

// Frame codes and the checksum rule shared by both directions.
inline constexpr uint8_t kMessageCode = 0x07;
inline constexpr uint8_t kAckCode = 'a';
inline constexpr uint8_t kRepeatCode = 'R';
inline constexpr uint8_t kEchoProbe = '1';

// Exclusive-or of the text; 0x80 when that is 0, so that a checksum is never 0x00.
uint8_t messageChecksum(const std::string& text);
// Bits 0-6 of the checksum equal bits 0-6 of the exclusive-or of the text.
bool checksumMatches(const std::string& text, uint8_t checksum);

class BusFrameParser {
public:
    // A lone "1" followed by at least this much quiet is the probe, whatever comes next.
    static constexpr int64_t kProbeGapNs = 5'000'000;
    // A message body longer than this is no frame of the computer's; it is dropped.
    static constexpr size_t kMaxBody = 255;

    // Takes one byte and appends the frames it completes. `oneWithoutGapIsProbe` says that a
    // "1" followed at once by a frame code is still the probe: so it is when no station has the
    // address "1", since the pause after the probe may not show (an echoing line, or a link that
    // read the probe and the first frame together).
    void feed(uint8_t byte, int64_t nowNs, bool oneWithoutGapIsProbe,
              std::vector<BusFrame>& frames);
    // The line has been quiet until nowNs: a lone "1" that has waited long enough is the probe.
    void quiet(int64_t nowNs, std::vector<BusFrame>& frames);

private:
    enum class State { FrameStart, AfterAddress, InMessage };

    void takeCode(uint8_t byte, int64_t nowNs, bool oneWithoutGapIsProbe,
                  std::vector<BusFrame>& frames);
    void takeMessageByte(uint8_t byte, std::vector<BusFrame>& frames);
    bool isProbe(int64_t nowNs, bool oneWithoutGapIsProbe) const;

    State state_ = State::FrameStart;
    uint8_t address_ = 0;
    int64_t addressNs_ = 0;
    std::string body_;  // message text and checksum
};

}  // namespace sim
