// The version queries. A library file carries its four-part version in its name, as the build
// installs it (libkavex.so.A.B.C.D); the text shown is "B.C.D", leaving out the highest part.
#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

#include <string>

#include "errors.h"
#include "export_guard.h"
#include "kavex.h"
#include "library_state.h"
#include "selvo_binding.h"

namespace kavex {
namespace {

// "B.C.D" from the real file behind `path`, or empty when its name carries no four-part version.
std::string versionOfFile(const char* path) {
    char real[PATH_MAX];
    if (path == nullptr || *path == '\0' || realpath(path, real) == nullptr) return {};
    const std::string name = real;
    const size_t so = name.rfind(".so.");
    if (so == std::string::npos) return {};
    const std::string version = name.substr(so + 4);
    const size_t first = version.find('.');
    if (first == std::string::npos) return {};
    std::string rest = version.substr(first + 1);
    int dots = 0;
    for (char c : rest) {
        if (c == '.') ++dots;
        else if (c < '0' || c > '9') return {};
    }
    return dots == 2 ? rest : std::string{};
}

std::string ownPath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&versionOfFile), &info) == 0 || info.dli_fname == nullptr) {
        return {};
    }
    return info.dli_fname;
}

int32_t writeVersion(char* text, const std::string& path) {
    clearErrorAndReply();
    if (text == nullptr) {
        setError(ErrWrongParameters);
        return -1;
    }
    copyText(text, KAVEX_VERSION_SIZE, versionOfFile(path.c_str()));
    return 0;
}

}  // namespace
}  // namespace kavex

extern "C" {

KAVEX_API int32_t GetKavexVersion(char* text) {
    return kavex::guarded([&] { return kavex::writeVersion(text, kavex::ownPath()); });
}

KAVEX_API int32_t GetSelvocVersion(char* text) {
    return kavex::guarded([&] { return kavex::writeVersion(text, kavex::selvoLibraryPath()); });
}

}  // extern "C"
