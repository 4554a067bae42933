#include "selvo_binding.h"

#include <dlfcn.h>
#include <link.h>

#include <string>

namespace kavex {
namespace {

constexpr const char* kSelvoFile = "libselvoc.so";

// The folder of libkavex.so itself, where the driver is installed beside it.
std::string ownFolder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&selvoApi), &info) == 0 || info.dli_fname == nullptr) {
        return {};
    }
    const std::string path = info.dli_fname;
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string{} : path.substr(0, slash + 1);
}

void* openDriver() {
    const std::string beside = ownFolder();
    if (!beside.empty()) {
        if (void* handle = dlopen((beside + kSelvoFile).c_str(), RTLD_NOW | RTLD_LOCAL)) {
            return handle;
        }
    }
    return dlopen(kSelvoFile, RTLD_NOW | RTLD_LOCAL);
}

template <typename Function>
bool bind(void* handle, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(handle, name));
    return function != nullptr;
}

struct LoadedDriver {
    void* handle = nullptr;
    SelvoApi api{};
    bool complete = false;
    std::string path;

    void load() {
        handle = openDriver();
        if (handle == nullptr) return;
        complete = bind(handle, "InitSlv", api.InitSlv) &&
                   bind(handle, "ChgSpeedSlv", api.ChgSpeedSlv) &&
                   bind(handle, "ResetSlv", api.ResetSlv) &&
                   bind(handle, "PollTerm", api.PollTerm) && bind(handle, "SendMsg", api.SendMsg);
        link_map* map = nullptr;
        if (dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr && map->l_name) {
            path = map->l_name;
        }
    }
};

// Loads the driver on first use, and tries again on later uses while it cannot be found.
LoadedDriver& driver() {
    static LoadedDriver loaded;
    if (loaded.handle == nullptr) loaded.load();
    return loaded;
}

}  // namespace

const SelvoApi* selvoApi() { return driver().complete ? &driver().api : nullptr; }

const char* selvoLibraryPath() { return driver().path.c_str(); }

}  // namespace kavex
