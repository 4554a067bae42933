// What the simulated network box does with each datagram it receives, apart from the socket: it
// answers the box commands, acknowledges terminal data and relays it to the terminals on its
// serial side, sends their reply lines back, and injects faults on demand. Tests feed it
// datagrams directly; NetworkBox puts it on a UDP socket.
//
// Box commands (the payload text of a type 6 datagram, or of a deciphered type 14):
//   X              the status, type 6 and always plain: "V<version> C3 A<address> M<master>"
//                  and a CR; "C1" in place of "C3" when one terminal hangs directly on the
//                  serial side, "M-" without a master, no "V" while the box is not ready
//   M<address>     the master to be (a dotted IPv4 address); answered with its echo
//   A<address>     the box's address to be (a dotted address in 127.0.0.0/8); echo
//   C<mode>        the serial side to be: "C3" an addressed multi-drop network, anything else
//                  one terminal directly; echo
//   %              applies the settings to be and restarts (moving to the new address), then
//                  answers from there: an acknowledgement, or with initOnRestart an init
//                  datagram
//   anything else  an error datagram, as is a bad address for M or A
// Echoes are enciphered (type 14) when encipherAnswers is on. Acknowledgements, error and init
// datagrams carry one zero byte; answers carry the sequence number of the datagram answered, the
// init datagram 0.
//
// Terminal data (type 3, or a deciphered type 11) is acknowledged at once. On a multi-drop side
// its first byte is the terminal's number and the rest one command line; a number with no
// terminal behind it gets no reply. With one terminal directly, the text is serial line bytes cut
// into lines at each CR, each line a command to the lowest-numbered terminal. Each reply line
// goes back as one type 3 datagram (11 with encipherData) with the box's own sequence number,
// 1-255 and then 1 again (0 is the init datagram's): the terminal's number and the line, or the
// line and a CR. The computer acknowledges each as it reads it: the box keeps at most 32 reply
// lines unacknowledged and sends the next as acknowledgements come, so that a long transfer
// never floods the computer's socket. A new command line drops the replies of the one before
// that have not gone out, as the terminal gives up a transfer when given something else to do.
//
// A datagram that repeats the one handled before (same type, sequence number and payload: the
// computer sending again for want of an acknowledgement) is acknowledged again and not handled
// again, so that a terminal never sees one command twice.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "cipher_algorithm.h"
#include "sim/box_datagram.h"
#include "sim/line_terminal.h"

namespace sim {

class BoxCommands;
class BoxFaultInjector;
class ReplyQueue;
class TerminalRelay;

// Serial sides, numbered as the computer numbers them.
inline constexpr int kMultiDropSide = 1;
inline constexpr int kDirectSide = 3;

struct BoxSettings {
    std::string address = "127.0.0.2";
    int serialSide = kMultiDropSide;  // kMultiDropSide or kDirectSide
    std::string master;               // empty: none

    bool operator==(const BoxSettings&) const = default;
};

struct BoxConfig {
    BoxSettings settings;
    uint16_t port = 8499;
    std::string key = kavex::kDefaultCipherKey;  // the cipher key shared with the computer
    bool encipherData = false;                   // reply lines as type 11
    bool encipherAnswers = false;                // echoes of box commands as type 14
    bool initOnRestart = false;                  // "%" answered with an init datagram
    std::string version = "2.1";
    std::function<int64_t()> clockSeconds;  // seconds since 1970 for the cipher; default: now
};

// Faults on demand. Counters count down as they are used; acknowledgements from the computer
// are never answered, so only the received-datagram counter counts them.
struct BoxFaults {
    bool silent = false;     // datagrams are received and answered with nothing
    bool notReady = false;   // the status lacks "V"
    int loseReceived = 0;    // the next N datagrams received are lost
    int loseSent = 0;        // the next N datagrams to send are lost
    int repeatReplies = 0;   // the next N reply lines go out twice with one sequence number
    int reorderAnswers = 0;  // in answer to the next N terminal data datagrams, neighbours of
                             // acknowledgement and replies go out swapped in pairs
    int errorAnswers = 0;    // the next N datagrams are answered with an error datagram
    int restarts = 0;        // the next N datagrams are lost to a restart, which the box
                             // announces with an init datagram
    int faultsAfter = 0;     // datagrams received and answered without faults before the
                             // counters above start to count

    bool operator==(const BoxFaults&) const = default;
};

struct BoxCounts {
    size_t received = 0;
    size_t sent = 0;
    size_t lostReceived = 0;
    size_t lostSent = 0;

    bool operator==(const BoxCounts&) const = default;
};

// Where the engine's datagrams go: to whoever sent the datagram being handled (the last sender
// for a restart on demand).
class BoxPort {
public:
    virtual ~BoxPort() = default;
    virtual void send(const Datagram& datagram) = 0;
    // Moves the box to another loopback address of the same port; false when it cannot.
    virtual bool moveTo(const std::string& address) = 0;
};

class BoxEngine {
public:
    static constexpr size_t kLogLimit = 10'000;  // datagrams kept per direction, oldest dropped

    BoxEngine(BoxConfig config, BoxPort& port);
    ~BoxEngine();

    BoxEngine(const BoxEngine&) = delete;
    BoxEngine& operator=(const BoxEngine&) = delete;

    void attach(int number, std::shared_ptr<LineTerminal> terminal);

    void receive(const Datagram& datagram);
    // Restarts as after a power cut: the settings to be are forgotten, the box's sequence
    // numbers start again, and an init datagram goes to the last sender.
    void restart();

    BoxSettings settings() const;
    BoxSettings pendingSettings() const;
    BoxFaults faults() const;
    void setFaults(const BoxFaults& faults);

    // Thread-safe inspection, oldest first.
    std::vector<Datagram> received() const;
    std::vector<Datagram> sent() const;
    BoxCounts counts() const;
    std::vector<uint16_t> unacknowledgedReplies() const;  // sequence numbers, ascending
    void clearLogs();

private:
    void dispatch(const Datagram& datagram);
    bool repeatsLastHandled(const Datagram& datagram) const;
    void relayData(const Datagram& datagram);
    std::vector<Datagram> replyDatagrams(const std::vector<std::string>& texts);
    void handleBoxCommand(const Datagram& datagram);
    void applyAndRestart(uint16_t sequence);
    void restartLocked();
    Datagram answerDatagram(uint16_t sequence, const std::string& text, bool encipher) const;
    void send(const Datagram& datagram);
    void sendOnce(const Datagram& datagram);
    void sendAll(const std::vector<Datagram>& datagrams);
    int64_t seconds() const;

    const BoxConfig config_;
    BoxPort& port_;
    mutable std::mutex mutex_;
    std::unique_ptr<BoxCommands> commands_;
    std::unique_ptr<TerminalRelay> relay_;
    std::unique_ptr<ReplyQueue> replies_;
    std::unique_ptr<BoxFaultInjector> faults_;
    std::optional<Datagram> lastHandled_;
    std::deque<Datagram> received_;
    std::deque<Datagram> sent_;
    BoxCounts counts_;
};

}  // namespace sim
