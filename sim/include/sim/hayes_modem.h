// A Hayes-style dial-up modem in front of a serial-side device: the line of a terminal, a line
// driver, a relaying terminal.
//
// Command mode: the modem cuts what it is sent into lines at each CR (line feeds and the
// flow-control bytes 0x11 and 0x13 are dropped), repeats every line with its CR while the echo is
// on (ATE1, the default), and runs the commands of a line that holds "AT" (in either case; what
// stands before it is ignored, a line without it gets no answer). Results are framed CR LF text
// CR LF as verbose modems send them (ATV0: the number and CR; ATQ1: none). Commands, several to a
// line as in "ATE1Q0S7=45":
//   E0/E1 echo, Q0/Q1 result codes, V0/V1 verbose results, Sn=v set register n (0-255) to v
//   (0-255), Sn? show it, Z and &F back to the defaults (hanging up), H hang up, O back on line,
//   D<dial string> dial (the rest of the line; it must hold a digit), L, M, X, I and
//   &<letter><digits> taken and ignored, +<command> (the rest of the line) taken; anything else
//   gives ERROR. S2 is the escape character, S7 the carrier wait in seconds, S12 the escape guard
//   time in fiftieths of a second (25, half a second, by default); the others are kept only.
//
// Dialling: the call ends as the dial outcome says, `answerDelayMs` after the dial command
// ("unanswered": after S7 seconds; "silent": never); a byte sent meanwhile abandons it with
// NO CARRIER. A connected call answers "CONNECT <speed>" and enters data mode, where bytes pass
// both ways between the computer and the device. "+++" with the guard time of quiet before and
// after it returns to command mode with OK while the call stays up; ATO goes back on line, ATH
// hangs up (OK). Dropping DTR hangs up with NO CARRIER; a pseudo-terminal carries no DTR, so only
// a caller of setDtr() shows it. The dropAfter fault ends a call from the far side, as a line
// that loses its carrier does: NO CARRIER, and what the computer sends next are command lines.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "sim/line_device.h"

namespace sim {

enum class DialOutcome { Connect, Busy, NoCarrier, NoDialTone, NoAnswer, Unanswered, Silent };

struct ModemConfig {
    DialOutcome outcome = DialOutcome::Connect;
    int speed = 9600;             // in "CONNECT <speed>"
    int64_t answerDelayMs = 100;  // from the dial command to its outcome
    bool carrierLine = false;     // "CARRIER" before "CONNECT", as some modems report
};

// Faults on demand; the counter counts down as echoes are sent.
struct ModemFaults {
    bool silent = false;       // echoes and answers nothing
    int garbledEchoes = 0;     // the next N echoed commands end with a changed character
    std::string refuse{};      // commands beginning with this text (any case) get ERROR
    bool bareRefusal = false;  // a refused command gets the bare line "ERROR" CR LF in place of
                               // its echo and its framed answer
    int dropAfter = -1;        // the carrier is lost at the device's first byte past this many
                               // that reached the computer on line: that byte and the rest are
                               // lost, the call ends with NO CARRIER and the modem is back in
                               // command mode; -1: never (once dropped, -1 again)
};

class HayesModem final : public LineDevice {
public:
    static constexpr int kDefaultGuard = 25;  // S12, fiftieths of a second

    explicit HayesModem(std::shared_ptr<LineDevice> inner, ModemConfig config = {});

    void received(const uint8_t* data, size_t size, int64_t nowNs, std::string& out) override;
    void idle(int64_t nowNs, std::string& out) override;

    // The computer's DTR line; dropping it hangs up a call (answered at the next byte or idle).
    void setDtr(bool on);

    ModemConfig config() const;
    void setConfig(const ModemConfig& config);
    ModemFaults faults() const;
    void setFaults(const ModemFaults& faults);

    std::vector<std::string> commands() const;  // every command line from "AT" on, in order
    std::vector<std::string> dialled() const;   // every dial string, in order
    bool connected() const;                     // a call is up, on line or in command mode
    bool inDataMode() const;
    bool echo() const;
    int reg(int number) const;  // S register

private:
    enum class Mode { Command, Dialling, Data, OnLineCommand };
    enum class Result { Ok, Connect, NoCarrier, Error, NoDialTone, Busy, NoAnswer };

    void takeCommandByte(uint8_t byte, int64_t nowNs, std::string& out);
    void takeLine(const std::string& line, int64_t nowNs, std::string& out);
    void sendEcho(const std::string& line, bool command, std::string& out);
    // Runs the commands after "AT" and sends their result.
    void run(const std::string& commands, int64_t nowNs, std::string& out);
    // Starts a call; false for a dial string without a number.
    bool dial(const std::string& dialString, int64_t nowNs);
    void endDial(std::string& out);
    void takeDataByte(uint8_t byte, int64_t nowNs);
    void passHeldEscape();
    void passToDevice(int64_t nowNs, std::string& out);
    // Passes the device's output to the computer, up to where the carrier drops.
    void passFromDevice(const std::string& fromDevice, std::string& out);
    bool guardPassed(int64_t nowNs) const;
    void result(Result code, std::string& out, const std::string& extra = {}) const;
    void resetProfile();
    void hangUp();

    const std::shared_ptr<LineDevice> inner_;
    mutable std::mutex mutex_;
    ModemConfig config_;
    ModemFaults faults_;
    Mode mode_ = Mode::Command;
    bool echo_ = true;
    bool quiet_ = false;
    bool verbose_ = true;
    std::array<int, 256> registers_{};
    std::string line_;                  // the command line being received
    std::string toDevice_;              // data for the device, passed on after each batch
    std::string pending_;               // answers waiting for the next byte or idle
    int heldEscape_ = 0;                // escape characters held back in data mode
    std::optional<int64_t> lastByteNs_;
    std::optional<int64_t> dialEndsNs_;
    std::vector<std::string> commands_;
    std::vector<std::string> dialled_;
};

}  // namespace sim
