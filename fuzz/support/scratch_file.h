// The local file of a fuzz target that reads or writes one: in a folder of its own, made once,
// in memory where /dev/shm exists (so that each input costs no disk), removed at exit.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "input_reader.h"

namespace fuzz {

inline const std::string& scratchFile()
{
    static std::string folder;
    static const std::string path = [] {
        struct stat info {};
        const bool memory = stat("/dev/shm", &info) == 0 && S_ISDIR(info.st_mode);
        std::string pattern = std::string(memory ? "/dev/shm" : "/tmp") + "/zentar-fuzz-XXXXXX";
        check(mkdtemp(pattern.data()) != nullptr);
        folder = pattern;
        std::atexit([] {
            unlink((folder + "/file").c_str());
            rmdir(folder.c_str());
        });
        return folder + "/file";
    }();
    return path;
}

}  // namespace fuzz
