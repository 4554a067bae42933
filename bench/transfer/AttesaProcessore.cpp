#include "AttesaProcessore.h"

#include <fstream>

namespace zentar::bench {

double SecondiInAttesaDelProcessore()
{
    // Three numbers: time on a processor, time waiting on a run queue (both in ns), time slices.
    std::ifstream schedstat("/proc/thread-self/schedstat");
    long long suProcessore = 0;
    long long inCoda = 0;
    if (!(schedstat >> suProcessore >> inCoda)) return 0;
    return double(inCoda) / 1e9;
}

}  // namespace zentar::bench
