#include "stop_signals.h"

#include <pthread.h>
#include <signal.h>

namespace sim::tools {
namespace {

sigset_t stopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

}  // namespace

void blockStopSignals() {
    const sigset_t set = stopSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

int waitForStopSignal() {
    const sigset_t set = stopSignals();
    int signal = 0;
    while (sigwait(&set, &signal) != 0) {
    }
    return signal;
}

}  // namespace sim::tools
