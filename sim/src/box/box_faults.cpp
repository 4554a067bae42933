#include "box_faults.h"

#include <utility>

namespace sim {
namespace {

bool takeOne(int& counter) {
    if (counter <= 0) return false;
    --counter;
    return true;
}

}  // namespace

bool BoxFaultInjector::loseReceived() {
    return faults_.silent || takeOne(faults_.loseReceived);
}

bool BoxFaultInjector::takeRestart() {
    return takeOne(faults_.restarts);
}

bool BoxFaultInjector::takeErrorAnswer() {
    return takeOne(faults_.errorAnswers);
}

bool BoxFaultInjector::loseSent() {
    return takeOne(faults_.loseSent);
}

std::vector<Datagram> BoxFaultInjector::shapeAnswer(std::vector<Datagram> answer) {
    answer = repeatReplies(std::move(answer));
    if (takeOne(faults_.reorderAnswers)) swapNeighbours(answer);
    return answer;
}

std::vector<Datagram> BoxFaultInjector::repeatReplies(std::vector<Datagram> answer) {
    std::vector<Datagram> shaped;
    for (Datagram& datagram : answer) {
        const bool isReply = plainTypeOf(datagram.type) == packet::kData;
        const bool repeat = isReply && takeOne(faults_.repeatReplies);
        shaped.push_back(datagram);
        if (repeat) shaped.push_back(std::move(datagram));
    }
    return shaped;
}

// 0 1 2 3 4 -> 1 0 3 2 4
void BoxFaultInjector::swapNeighbours(std::vector<Datagram>& answer) {
    for (size_t i = 0; i + 1 < answer.size(); i += 2) std::swap(answer[i], answer[i + 1]);
}

}  // namespace sim
