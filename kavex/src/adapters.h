// The computer's own IPv4 addresses, one of which the network box socket is bound to.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/sockets.h"

namespace kavex {

struct AdapterTable {
    static constexpr size_t kMostAddresses = 5;  // then "0.0.0.0"
    static constexpr size_t kEntrySize = 16;      // a dotted address and its zero

    std::vector<std::string> entries;
    int32_t index = 0;  // the entry the next socket is bound to

    int32_t count() const { return static_cast<int32_t>(entries.size()); }
    // The chosen entry; empty when the table is empty.
    std::string chosen() const;
    // Chooses the first entry equal to `address`; false (and entry 0) when none is.
    bool choose(const char* address);
    // Every entry followed by "|".
    std::string joined() const;
};

// Fills `table` with the computer's own addresses: those of its interfaces that are up (the
// socket library's optional listing, loopback last), or, where it lists none, those the host
// name resolves to; at most kMostAddresses, then "0.0.0.0". 0, or -1 with LastError set: from
// the host name, which is always asked, 34 (10014), 33 (10036), 8 (10050), 6 (10093) or 9; from
// the address lookup 8 (10050), 6 (10093), 32 (11001) or 9.
int enumerateAdapters(const platform::SocketFunctions& api, AdapterTable& table);

}  // namespace kavex
