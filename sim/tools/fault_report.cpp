#include "fault_report.h"

#include <cstdio>

namespace sim::tools {
namespace {

int oneShot(int given, int left) { return given >= 0 && left < 0 ? 1 : 0; }

}  // namespace

void FaultReport::add(std::function<int()> injected) { sources_.push_back(std::move(injected)); }

int FaultReport::total() const {
    int sum = 0;
    for (const auto& source : sources_) sum += source();
    return sum;
}

void FaultReport::print() const {
    std::printf("faults injected %d\n", total());
    std::fflush(stdout);
}

int injectedFaults(const BusFaults& given, const BusFaults& left) {
    return (given.garbledAnswers - left.garbledAnswers) + (given.badChecksums - left.badChecksums) +
           (given.repeatRequests - left.repeatRequests) + (given.refusals - left.refusals) +
           (given.wrongAddresses - left.wrongAddresses) + (given.noise - left.noise);
}

int injectedFaults(const TerminalFaults& given, const TerminalFaults& left) {
    return (given.wrongChecksums - left.wrongChecksums) + (given.wrongCounts - left.wrongCounts) +
           oneShot(given.breakAfterRecords, left.breakAfterRecords);
}

int injectedFaults(const BoxFaults& given, const BoxFaults& left) {
    return (given.loseReceived - left.loseReceived) + (given.loseSent - left.loseSent) +
           (given.repeatReplies - left.repeatReplies) +
           (given.reorderAnswers - left.reorderAnswers) +
           (given.errorAnswers - left.errorAnswers) + (given.restarts - left.restarts);
}

int injectedFaults(const ModemFaults& given, const ModemFaults& left) {
    return (given.garbledEchoes - left.garbledEchoes) + oneShot(given.dropAfter, left.dropAfter);
}

}  // namespace sim::tools
