// The options of a kavex-sim subcommand, described by a table: each option's name, the name of
// its value (none for a switch), a line of help and what it does with the value.
#pragma once

#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace sim::tools {

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Option {
    std::string_view name;       // "--port"
    std::string_view valueName;  // "N"; empty for a switch
    std::string_view help;
    std::function<void(const std::string& value)> apply;  // a switch gets an empty value
};

// Applies every option in `args` in order. Throws UsageError on an unknown option or a missing
// value.
void applyOptions(std::span<const std::string> args, std::span<const Option> options);
// One line per option, for the usage text.
std::string describeOptions(std::span<const Option> options);

// A decimal integer within [min, max]; throws UsageError naming `what` otherwise.
int parseInteger(const std::string& text, int min, int max, std::string_view what);
// An option action that sets `field` to a count from 0 to 1,000,000.
std::function<void(const std::string& value)> setCount(int& field, std::string_view what);
// Comma-separated integers, each within [min, max].
std::vector<int> parseIntegerList(const std::string& text, int min, int max, std::string_view what);

}  // namespace sim::tools
