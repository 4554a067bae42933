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

bool BoxFaultInjector::takeRepeat() { return takeOne(faults_.repeatReplies); }

// 0 1 2 3 4 -> 1 0 3 2 4
void BoxFaultInjector::reorderAnswer(std::vector<Datagram>& answer) {
    if (!takeOne(faults_.reorderAnswers)) return;
    for (size_t i = 0; i + 1 < answer.size(); i += 2) std::swap(answer[i], answer[i + 1]);
}

}  // namespace sim
