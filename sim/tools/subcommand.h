// A kavex-sim subcommand: one kind of simulated device set-up.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace sim::tools {

struct Subcommand {
    std::string_view name;
    std::string_view summary;
    // Runs with the arguments after the subcommand's name; returns the exit status. Throws
    // UsageError for bad arguments, std::runtime_error when the devices cannot be set up.
    int (*run)(std::span<const std::string> args);
    std::string (*usage)();  // the option lines
};

// Announces a device on stdout ("ready <link>"), flushed, for whoever started the program.
void announceReady(const std::string& linkPath);

}  // namespace sim::tools
