// The fixture of the network box unit tests: InitCOMM loads a scripted socket library, and a
// scripted box answers what the library sends. The library's state is put back after each test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "error_report.h"
#include "kavex.h"
#include "platform/clock.h"
#include "scripted_sockets.h"

namespace kavex_test {

// A box that answers the status request, acknowledges box commands and terminal data, and
// relays the replies of the terminals behind it, as the network box does.
struct ScriptedBox {
    // Becomes the peer of `sockets`.
    explicit ScriptedBox(ScriptedSockets& sockets);
    // Becomes the peer again, after a test put another in its place.
    void install();

    std::string address = kBoxAddress;   // where its datagrams come from
    std::string status = "V2.1 C3";      // the answer to "X"; empty: no answer
    bool acknowledgeCommands = true;     // box commands other than "X"
    bool acknowledgeData = true;
    bool multiDrop = true;               // replies carry the number, else end with a CR
    bool encipherReplies = false;
    int64_t cipherSeconds = 0;           // the time the box's cipher draws its selectors at
    std::map<std::string, std::string> replies;  // a terminal's reply line to a command
    uint16_t replySequence = 0;          // of the box's last reply datagram

    // What reached it, deciphered where enciphered: box commands, and terminal commands
    // without the terminal's number or the CR.
    std::vector<std::string> boxCommands;
    std::vector<std::string> terminalCommands;

    // The reply datagram a terminal sends through the box, with the next sequence number.
    Bytes replyDatagram(uint8_t terminal, const std::string& line);

private:
    void take(const SentDatagram& datagram);

    ScriptedSockets& sockets_;
};

class NetworkBoxTest : public ::testing::Test {
protected:
    void TearDown() override;

    // Opens mode 6 on kBoxPort and chooses the adapter "0.0.0.0".
    void open();
    // open(), then selects the box (the scripted one, answering its status with `status`);
    // what was sent is forgotten.
    void selectBox(const std::string& status = "V2.1 C3");
    // selectBox() on a multi-drop side and selects terminal 5 without the logon dialogue.
    void selectTerminalFive();

    static std::string errorText() { return currentErrorText(); }
    static int32_t errorCode() { return currentErrorCode(); }
    static uint32_t msSince(uint32_t start);
    // Injects each case's fault in turn and checks that `call` then fails with its error and
    // text; `after` runs after each case.
    struct FailureCase {
        const char* name;
        std::function<void()> fault;
        int32_t error;
        const char* text;
    };
    static void expectFailures(const std::vector<FailureCase>& cases,
                               const std::function<int32_t()>& call,
                               const std::function<void()>& after = {});
    // Sequence numbers of the acknowledgements sent.
    std::vector<uint16_t> acknowledged() const;
    // Datagrams sent that are not acknowledgements.
    std::vector<SentDatagram> commandsSent() const;

    // The library's waits for datagrams cost no real time; the doubles' arrivals follow the
    // same clock.
    platform::VirtualClock virtualClock;
    ScriptedSockets sockets;
    ScriptedBox box{sockets};
    char reply[KAVEX_REPLY_SIZE] = {};
};

}  // namespace kavex_test
