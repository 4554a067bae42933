// The network box's datagrams on arbitrary input: the parsing of every datagram received, and
// the receive rules of mode 6 behind the exports that use them (SetIPAddress's status exchange,
// SendCommand, PostCommand, GetMsgEx, GetResponse, LbxCommand, LbxReset), plain or enciphered.
// A parsed datagram keeps its header and, when plain, its text up to the first zero; a reply
// fits its buffer and is the text of a terminal datagram for the selected terminal; a box
// answer is text a box datagram carried; everything the library sends goes to the box's port
// as a whole datagram, acknowledgements included.
//
// Input: a control byte (bit 0: CryptMessages; bit 1: CryptLbxCmds), the terminal selected
// after the box, the number of operations (1-8) and a byte for each, then the datagrams, each a
// length byte and that many bytes; length 0 is a read that finds nothing waiting, 251 a
// zero-length datagram, 252 a failed read.
#include <arpa/inet.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "box_link.h"
#include "cipher.h"
#include "datagram.h"
#include "input_reader.h"
#include "kavex.h"
#include "library_state.h"
#include "network_box_transport.h"
#include "platform/clock.h"
#include "udp_socket.h"

namespace {

using fuzz::BoxArrival;
using fuzz::Bytes;
using fuzz::check;

constexpr uint16_t kBoxPort = 8499;
constexpr uint8_t kNothingWaiting = 0;
constexpr uint8_t kZeroLength = 251;
constexpr uint8_t kFailedRead = 252;
constexpr const char* kBoxCommands[] = {"X", "V", "A127.0.0.3", "C3", "C1", "%"};

uint16_t littleEndian(const Bytes& bytes, size_t at)
{
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

bool enciphered(uint16_t type)
{
    return type == kavex::kCipherDataPacket || type == kavex::kCipherBoxCommandPacket;
}

// What the transport makes of `bytes`, as its receive buffer holds them.
kavex::Datagram checkedParse(Bytes bytes)
{
    if (bytes.size() > kavex::kReceiveCapacity)
        bytes.resize(kavex::kReceiveCapacity);
    const kavex::Datagram datagram = kavex::parseDatagram(bytes.data(), bytes.size());
    if (bytes.size() < kavex::kHeaderSize) {
        check(datagram.type == 0 && datagram.sequence == 0 && datagram.text.empty());
        return datagram;
    }
    check(datagram.type == littleEndian(bytes, 0) && datagram.sequence == littleEndian(bytes, 2));
    if (!enciphered(datagram.type)) {
        const std::string payload(bytes.begin() + kavex::kHeaderSize, bytes.end());
        check(datagram.text == payload.substr(0, payload.find('\0')));
        const std::vector<uint8_t> again = kavex::plainDatagram(datagram.type, datagram.sequence, datagram.text);
        const kavex::Datagram back = kavex::parseDatagram(again.data(), again.size());
        check(back.type == datagram.type && back.sequence == datagram.sequence && back.text == datagram.text);
    }
    return datagram;
}

// The arrivals of the input, and the texts of those a reply or a box answer may come from.
struct Arrivals {
    std::deque<BoxArrival> queue;
    std::vector<std::string> terminalTexts;
    std::vector<std::string> boxTexts{"UDP_INIT"};
};

Arrivals readArrivals(fuzz::InputReader& input)
{
    Arrivals arrivals;
    while (!input.atEnd()) {
        const uint8_t length = input.byte();
        BoxArrival arrival;
        if (length == kNothingWaiting) {
            arrival.kind = BoxArrival::Kind::Nothing;
        } else if (length == kZeroLength) {
            arrival.kind = BoxArrival::Kind::Empty;
        } else if (length == kFailedRead) {
            arrival.kind = BoxArrival::Kind::Failure;
        } else {
            arrival.bytes = input.bytes(length);
            const kavex::Datagram datagram = checkedParse(arrival.bytes);
            if (kavex::isTerminalData(datagram.type))
                arrivals.terminalTexts.push_back(datagram.text);
            if (kavex::isBoxAnswer(datagram.type))
                arrivals.boxTexts.push_back(datagram.text);
        }
        arrivals.queue.push_back(std::move(arrival));
    }
    return arrivals;
}

std::string asCText(const std::string& text) { return text.substr(0, text.find('\0')); }

// A reply is a terminal datagram's text: behind a multi-drop box after its first byte, which
// names the selected terminal; behind a box of one terminal without its last character, the
// terminal's CR. As a C text, up to a zero a deciphered text may hold.
bool isReplyOf(const std::string& datagramText, const std::string& reply)
{
    const kavex::LibraryState& s = kavex::state();
    if (s.transport->networkBox()->boxSerialMode() == kavex::NetworkBoxTransport::kMultiDrop) {
        return !datagramText.empty() && static_cast<uint8_t>(datagramText[0]) == s.selectedTerminal &&
               reply == asCText(datagramText.substr(1));
    }
    return reply == asCText(datagramText.substr(0, datagramText.empty() ? 0 : datagramText.size() - 1));
}

// A text handed back in a buffer of exactly `capacity` bytes: zero-ended within it.
std::string deliveredText(const char* buffer, size_t capacity)
{
    const size_t length = strnlen(buffer, capacity);
    check(length < capacity);
    return std::string(buffer, length);
}

void checkReply(const char* reply, const Arrivals& arrivals)
{
    const std::string text = deliveredText(reply, KAVEX_REPLY_SIZE);
    bool found = false;
    for (const std::string& candidate : arrivals.terminalTexts)
        found = found || isReplyOf(candidate, text);
    check(found);
}

// A box answer is a box datagram's text, or part of it (the status loses its last character, and
// the answer is cut to its buffer).
void checkBoxAnswer(const char* answer, const Arrivals& arrivals)
{
    const std::string text = deliveredText(answer, KAVEX_LBX_ANSWER_SIZE);
    bool found = false;
    for (const std::string& candidate : arrivals.boxTexts)
        found = found || candidate.find(text) != std::string::npos;
    check(found);
}

void checkSent()
{
    for (const fuzz::SentDatagram& sent : fuzz::BoxLink::instance().sent()) {
        check(sent.bytes.size() > kavex::kHeaderSize);
        check(sent.to.sin_family == AF_INET && sent.to.sin_port == htons(kBoxPort));
        if (littleEndian(sent.bytes, 0) == kavex::kAckPacket)
            check(sent.bytes.size() == kavex::kHeaderSize + 1 && sent.bytes.back() == 0);
    }
}

// A fresh link for each input, so that its sequence numbers and box state start alike: waits
// are short, and paced by sleeps that take no time.
void openLink(uint8_t control)
{
    kavex::LibraryState& s = kavex::state();
    s.lastError = 0;
    s.errorText.clear();
    s.replyBuffer[0] = '\0';
    s.udpTries = 3;
    s.udpTryTime = 50;
    s.winSockTimeout = 1000;
    s.selectedTerminal = kavex::kNoTerminal;
    kavex::cipherState() = kavex::CipherState{};
    kavex::cipherState().cryptMessages = (control & 1) != 0;
    kavex::cipherState().cryptLbxCmds = (control & 2) != 0;
    kavex::AdapterTable adapters;
    adapters.entries = {"127.0.0.1"};
    s.transport = std::make_unique<kavex::NetworkBoxTransport>(
        std::make_unique<kavex::UdpSocket>(nullptr, fuzz::BoxLink::instance().api()), std::move(adapters),
        kBoxPort);
    s.openMode = kavex::ModeNetworkBox;
}

void checkResult(int32_t result)
{
    check(result == 0 || result == -1);
}

void runOperation(uint8_t operation, const Arrivals& arrivals)
{
    auto reply = std::make_unique<char[]>(KAVEX_REPLY_SIZE);
    auto answer = std::make_unique<char[]>(KAVEX_LBX_ANSWER_SIZE);
    switch (operation % 6) {
        case 0:
            if (SendCommand("RING", reply.get()) == 0)
                checkReply(reply.get(), arrivals);
            break;
        case 1:
            checkResult(PostCommand("RING"));
            break;
        case 2:
            if (GetMsgEx(reply.get()) == 0)
                checkReply(reply.get(), arrivals);
            break;
        case 3:
            if (GetResponse(reply.get()) == 0)
                checkReply(reply.get(), arrivals);
            break;
        case 4: {
            const int32_t result = LbxCommand(kBoxCommands[(operation / 6) % 6], answer.get());
            checkResult(result);
            if (result == 0)
                checkBoxAnswer(answer.get(), arrivals);
            break;
        }
        case 5:
            checkResult(LbxReset());
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static platform::VirtualClock virtualClock;
    fuzz::InputReader input(data, size);
    const uint8_t control = input.byte();
    const uint8_t terminal = input.byte();
    const std::vector<uint8_t> operations = input.bytes(1 + input.byte() % 8);
    Arrivals arrivals = readArrivals(input);
    fuzz::BoxLink::instance().start(arrivals.queue);
    openLink(control);

    checkResult(SetIPAddress("127.0.0.2"));
    checkResult(ChgTerminal(terminal));
    for (const uint8_t operation : operations)
        runOperation(operation, arrivals);
    checkSent();
    return 0;
}
