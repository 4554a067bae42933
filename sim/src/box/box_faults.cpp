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

bool BoxFaultInjector::take(int& counter) { return !sparing_ && takeOne(counter); }

bool BoxFaultInjector::loseReceived() {
    sparing_ = takeOne(faults_.faultsAfter);
    return faults_.silent || take(faults_.loseReceived);
}

bool BoxFaultInjector::takeRestart() {
    return take(faults_.restarts);
}

bool BoxFaultInjector::takeErrorAnswer() {
    return take(faults_.errorAnswers);
}

bool BoxFaultInjector::loseSent() {
    return take(faults_.loseSent);
}

bool BoxFaultInjector::takeRepeat() { return take(faults_.repeatReplies); }

// 0 1 2 3 4 -> 1 0 3 2 4
void BoxFaultInjector::reorderAnswer(std::vector<Datagram>& answer) {
    if (!take(faults_.reorderAnswers)) return;
    for (size_t i = 0; i + 1 < answer.size(); i += 2) std::swap(answer[i], answer[i + 1]);
}

}  // namespace sim
