#include "adapters.h"

#include <cstdio>
#include <cstring>

#include "errors.h"

namespace kavex {
namespace {

constexpr int kHostNameSize = 128;

int32_t hostNameError(int socketError) {
    switch (socketError) {
        case platform::kWsaFault: return ErrWsaFault;
        case platform::kWsaInProgress: return ErrWsaInProgress;
        case platform::kWsaNetworkDown: return ErrNetworkFailed;
        case platform::kWsaNotInitialised: return ErrLanBrickNotInitialized;
        default: return ErrWinSock;
    }
}

int32_t lookupError(int socketError) {
    switch (socketError) {
        case platform::kWsaNetworkDown: return ErrNetworkFailed;
        case platform::kWsaNotInitialised: return ErrLanBrickNotInitialized;
        case platform::kWsaHostNotFound: return ErrHostNotFound;
        default: return ErrWinSock;
    }
}

std::string dotted(const char* address) {
    const auto* b = reinterpret_cast<const unsigned char*>(address);
    char text[AdapterTable::kEntrySize];
    std::snprintf(text, sizeof text, "%hu.%hu.%hu.%hu", static_cast<unsigned short>(b[0]),
                  static_cast<unsigned short>(b[1]), static_cast<unsigned short>(b[2]),
                  static_cast<unsigned short>(b[3]));
    return text;
}

// The addresses of the computer's interfaces, as the socket library lists them; none when it
// offers no listing or the listing fails.
void addInterfaceAddresses(const platform::SocketFunctions& api, AdapterTable& table) {
    if (api.interfaceAddresses == nullptr) return;
    in_addr listed[AdapterTable::kMostAddresses] = {};
    const int count = api.interfaceAddresses(listed, static_cast<int>(AdapterTable::kMostAddresses));
    for (int i = 0; i < count && table.entries.size() < AdapterTable::kMostAddresses; ++i) {
        table.entries.push_back(dotted(reinterpret_cast<const char*>(&listed[i])));
    }
}

// The addresses the host name resolves to; -1 with LastError set when the lookup fails.
int addHostAddresses(const platform::SocketFunctions& api, const char* name, AdapterTable& table) {
    const hostent* host = api.getHostByName(name);
    if (host == nullptr) {
        setError(lookupError(api.wsaGetLastError()));
        return -1;
    }
    // Only four-byte addresses are read; anything else the lookup lists is passed over.
    if (host->h_length == 4 && host->h_addr_list != nullptr) {
        for (size_t i = 0; host->h_addr_list[i] != nullptr &&
                           table.entries.size() < AdapterTable::kMostAddresses;
             ++i) {
            table.entries.push_back(dotted(host->h_addr_list[i]));
        }
    }
    return 0;
}

}  // namespace

std::string AdapterTable::chosen() const {
    if (index < 0 || index >= count()) return {};
    return entries[static_cast<size_t>(index)];
}

bool AdapterTable::choose(const char* address) {
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i] == address) {
            index = static_cast<int32_t>(i);
            return true;
        }
    }
    index = 0;
    return false;
}

std::string AdapterTable::joined() const {
    std::string text;
    for (const std::string& entry : entries) text += entry + "|";
    return text;
}

int enumerateAdapters(const platform::SocketFunctions& api, AdapterTable& table) {
    table.entries.clear();
    char name[kHostNameSize] = {};
    if (api.getHostName(name, kHostNameSize) == platform::kSocketError) {
        setError(hostNameError(api.wsaGetLastError()));
        return -1;
    }
    name[kHostNameSize - 1] = '\0';
    // A Linux host name resolves to loopback only, which reaches no box on the network: the
    // interfaces are what the computer's own name stands for. The name is resolved only when
    // the system lists none.
    addInterfaceAddresses(api, table);
    if (table.entries.empty() && addHostAddresses(api, name, table) != 0) return -1;
    if (!table.entries.empty()) table.entries.push_back("0.0.0.0");
    return 0;
}

}  // namespace kavex
