// kavex-sim: simulated devices on pseudo-terminals or loopback UDP, one kind per subcommand.
//   kavex-sim <subcommand> [options]   runs until SIGINT or SIGTERM
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "box_command.h"
#include "bus_command.h"
#include "command_line.h"
#include "line_driver_command.h"
#include "relay_command.h"
#include "rs232_command.h"
#include "stop_signals.h"
#include "subcommand.h"

namespace sim::tools {
namespace {

constexpr int kUsageStatus = 2;
constexpr int kFailureStatus = 1;

const Subcommand* const kSubcommands[] = {&kBusCommand, &kRs232Command, &kLineDriverCommand,
                                          &kRelayCommand, &kBoxCommand};

const Subcommand* findSubcommand(const std::string& name) {
    for (const Subcommand* command : kSubcommands) {
        if (command->name == name) return command;
    }
    return nullptr;
}

void printUsage(std::FILE* to) {
    std::fprintf(to, "usage: kavex-sim <subcommand> [options]\n");
    for (const Subcommand* command : kSubcommands) {
        std::fprintf(to, "\nkavex-sim %.*s: %.*s\n%s", static_cast<int>(command->name.size()),
                     command->name.data(), static_cast<int>(command->summary.size()),
                     command->summary.data(), command->usage().c_str());
    }
}

int runSubcommand(const std::vector<std::string>& args) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        printUsage(args.empty() ? stderr : stdout);
        return args.empty() ? kUsageStatus : 0;
    }
    if (args[0] == "--version") {
        std::printf("kavex-sim %s\n", KAVEX_SIM_VERSION);
        return 0;
    }
    const Subcommand* command = findSubcommand(args[0]);
    if (command == nullptr) {
        std::fprintf(stderr, "kavex-sim: unknown subcommand \"%s\"\n", args[0].c_str());
        printUsage(stderr);
        return kUsageStatus;
    }
    if (args.size() > 1 && (args[1] == "--help" || args[1] == "-h")) {
        std::printf("usage: kavex-sim %s [options]: %.*s\n%s", args[0].c_str(),
                    static_cast<int>(command->summary.size()), command->summary.data(), command->usage().c_str());
        return 0;
    }
    try {
        return command->run(std::span(args).subspan(1));
    } catch (const UsageError& error) {
        std::fprintf(stderr, "kavex-sim %s: %s\n%s", args[0].c_str(), error.what(),
                     command->usage().c_str());
        return kUsageStatus;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kavex-sim %s: %s\n", args[0].c_str(), error.what());
        return kFailureStatus;
    }
}

}  // namespace

void announceReady(const std::string& linkPath) {
    std::printf("ready %s\n", linkPath.c_str());
    std::fflush(stdout);
}

}  // namespace sim::tools

int main(int argc, char** argv) {
    sim::tools::blockStopSignals();
    return sim::tools::runSubcommand(std::vector<std::string>(argv + 1, argv + argc));
}
