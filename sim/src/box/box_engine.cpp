#include "sim/box_engine.h"

#include <cstdio>
#include <ctime>

#include "box_commands.h"
#include "box_faults.h"
#include "box_relay.h"
#include "reply_queue.h"

namespace sim {
namespace {

constexpr uint16_t kInitSequence = 0;

void note(const std::string& text) {
    std::fprintf(stderr, "network box: %s\n", text.c_str());
}

void keep(std::deque<Datagram>& log, const Datagram& datagram) {
    if (log.size() == BoxEngine::kLogLimit) log.pop_front();
    log.push_back(datagram);
}

}  // namespace

BoxEngine::BoxEngine(BoxConfig config, BoxPort& port)
    : config_(std::move(config)),
      port_(port),
      commands_(std::make_unique<BoxCommands>(config_.settings, config_.version)),
      relay_(std::make_unique<TerminalRelay>()),
      replies_(std::make_unique<ReplyQueue>()),
      faults_(std::make_unique<BoxFaultInjector>()) {}

BoxEngine::~BoxEngine() = default;

void BoxEngine::attach(int number, std::shared_ptr<LineTerminal> terminal) {
    std::lock_guard lock(mutex_);
    relay_->attach(number, std::move(terminal));
}

void BoxEngine::receive(const Datagram& datagram) {
    std::lock_guard lock(mutex_);
    keep(received_, datagram);
    ++counts_.received;
    if (faults_->loseReceived()) {
        ++counts_.lostReceived;
        return;
    }
    dispatch(datagram);
}

void BoxEngine::dispatch(const Datagram& datagram) {
    if (datagram.type == packet::kAck) {
        replies_->acknowledged(datagram.sequence);  // sequence 0 (a flush) matches nothing
        return sendAll(replies_->sendable());
    }
    if (faults_->takeRestart()) return restartLocked();
    if (faults_->takeErrorAnswer()) return send(emptyDatagram(packet::kError, datagram.sequence));
    if (repeatsLastHandled(datagram)) return send(emptyDatagram(packet::kAck, datagram.sequence));
    lastHandled_ = datagram;
    switch (plainTypeOf(datagram.type)) {
        case packet::kData:
            return relayData(datagram);
        case packet::kBoxCommand:
            return handleBoxCommand(datagram);
        default:
            note("refused " + describeDatagram(datagram) + ": no such packet type");
            return send(emptyDatagram(packet::kError, datagram.sequence));
    }
}

// The status request is answered every time: the computer asks again when it has no answer.
bool BoxEngine::repeatsLastHandled(const Datagram& datagram) const {
    if (!lastHandled_ || *lastHandled_ != datagram) return false;
    const uint16_t type = plainTypeOf(datagram.type);
    if (type == packet::kData) return true;
    return type == packet::kBoxCommand && payloadText(datagram, config_.key) == "%";
}

void BoxEngine::relayData(const Datagram& datagram) {
    const RelayResult relayed =
        relay_->relay(commands_->current().serialSide, payloadText(datagram, config_.key));
    if (relayed.carriedCommand) replies_->replace(replyDatagrams(relayed.replies));
    std::vector<Datagram> answer{emptyDatagram(packet::kAck, datagram.sequence)};
    for (Datagram& reply : replies_->sendable()) answer.push_back(std::move(reply));
    faults_->reorderAnswer(answer);
    sendAll(answer);
}

std::vector<Datagram> BoxEngine::replyDatagrams(const std::vector<std::string>& texts) {
    std::vector<Datagram> datagrams;
    for (const std::string& text : texts) {
        const uint16_t sequence = replies_->nextSequence();
        datagrams.push_back(config_.encipherData ? encipheredDatagram(packet::kData, sequence, text,
                                                                      config_.key, seconds())
                                                 : plainDatagram(packet::kData, sequence, text));
    }
    return datagrams;
}

void BoxEngine::handleBoxCommand(const Datagram& datagram) {
    const std::string command = payloadText(datagram, config_.key);
    const CommandOutcome outcome = commands_->handle(command);
    switch (outcome.action) {
        case CommandOutcome::Action::Status:
            return send(
                answerDatagram(datagram.sequence, commands_->status(!faults_->notReady()), false));
        case CommandOutcome::Action::Echo:
            return send(answerDatagram(datagram.sequence, command, config_.encipherAnswers));
        case CommandOutcome::Action::Refuse:
            note("refused box command: " + outcome.reason);
            return send(emptyDatagram(packet::kError, datagram.sequence));
        case CommandOutcome::Action::Apply:
            return applyAndRestart(datagram.sequence);
    }
}

// The answer comes from the restarted box, at its new address: once the computer has it, the
// box is there.
void BoxEngine::applyAndRestart(uint16_t sequence) {
    const std::string before = commands_->current().address;
    const std::string after = commands_->apply().address;
    if (after != before && !port_.moveTo(after)) {
        note("could not move to " + after + "; staying at " + before);
        commands_->stayAt(before);
    }
    relay_->restart();
    replies_->restart();
    send(config_.initOnRestart ? emptyDatagram(packet::kInit, kInitSequence)
                               : emptyDatagram(packet::kAck, sequence));
}

void BoxEngine::restart() {
    std::lock_guard lock(mutex_);
    restartLocked();
}

void BoxEngine::restartLocked() {
    commands_->forgetPending();
    relay_->restart();
    replies_->restart();
    lastHandled_.reset();
    send(emptyDatagram(packet::kInit, kInitSequence));
}

Datagram BoxEngine::answerDatagram(uint16_t sequence, const std::string& text,
                                   bool encipher) const {
    if (!encipher) return plainDatagram(packet::kBoxCommand, sequence, text);
    return encipheredDatagram(packet::kBoxCommand, sequence, text, config_.key, seconds());
}

void BoxEngine::send(const Datagram& datagram) {
    const bool repeat = plainTypeOf(datagram.type) == packet::kData && faults_->takeRepeat();
    sendOnce(datagram);
    if (repeat) sendOnce(datagram);
}

void BoxEngine::sendOnce(const Datagram& datagram) {
    if (faults_->loseSent()) {
        ++counts_.lostSent;
        return;
    }
    port_.send(datagram);
    keep(sent_, datagram);
    ++counts_.sent;
}

void BoxEngine::sendAll(const std::vector<Datagram>& datagrams) {
    for (const Datagram& datagram : datagrams) send(datagram);
}

int64_t BoxEngine::seconds() const {
    return config_.clockSeconds ? config_.clockSeconds() : static_cast<int64_t>(std::time(nullptr));
}

BoxSettings BoxEngine::settings() const {
    std::lock_guard lock(mutex_);
    return commands_->current();
}

BoxSettings BoxEngine::pendingSettings() const {
    std::lock_guard lock(mutex_);
    return commands_->pending();
}

BoxFaults BoxEngine::faults() const {
    std::lock_guard lock(mutex_);
    return faults_->faults();
}

void BoxEngine::setFaults(const BoxFaults& faults) {
    std::lock_guard lock(mutex_);
    faults_->set(faults);
}

std::vector<Datagram> BoxEngine::received() const {
    std::lock_guard lock(mutex_);
    return {received_.begin(), received_.end()};
}

std::vector<Datagram> BoxEngine::sent() const {
    std::lock_guard lock(mutex_);
    return {sent_.begin(), sent_.end()};
}

BoxCounts BoxEngine::counts() const {
    std::lock_guard lock(mutex_);
    return counts_;
}

std::vector<uint16_t> BoxEngine::unacknowledgedReplies() const {
    std::lock_guard lock(mutex_);
    return replies_->unacknowledged();
}

void BoxEngine::clearLogs() {
    std::lock_guard lock(mutex_);
    received_.clear();
    sent_.clear();
    counts_ = {};
}

}  // namespace sim
