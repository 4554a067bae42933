#include "command_line.h"

#include <charconv>

namespace sim::tools {
namespace {

const Option* findOption(std::string_view name, std::span<const Option> options) {
    for (const Option& option : options) {
        if (option.name == name) return &option;
    }
    return nullptr;
}

}  // namespace

void applyOptions(std::span<const std::string> args, std::span<const Option> options) {
    for (size_t i = 0; i < args.size(); ++i) {
        const Option* option = findOption(args[i], options);
        if (option == nullptr) throw UsageError("unknown option " + args[i]);
        if (option->valueName.empty()) {
            option->apply({});
            continue;
        }
        if (i + 1 == args.size()) throw UsageError(args[i] + " needs a value");
        option->apply(args[++i]);
    }
}

std::string describeOptions(std::span<const Option> options) {
    std::string text;
    for (const Option& option : options) {
        std::string left = "  " + std::string(option.name);
        if (!option.valueName.empty()) left += " " + std::string(option.valueName);
        left.resize(std::max<size_t>(left.size() + 2, 24), ' ');
        text += left + std::string(option.help) + "\n";
    }
    return text;
}

int parseInteger(const std::string& text, int min, int max, std::string_view what) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value < min || value > max) {
        throw UsageError(std::string(what) + " must be a number from " + std::to_string(min) +
                         " to " + std::to_string(max) + ", not \"" + text + "\"");
    }
    return value;
}

std::function<void(const std::string& value)> setCount(int& field, std::string_view what) {
    constexpr int kMaxCount = 1'000'000;
    return [&field, what](const std::string& v) { field = parseInteger(v, 0, kMaxCount, what); };
}

std::vector<int> parseIntegerList(const std::string& text, int min, int max,
                                  std::string_view what) {
    std::vector<int> values;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        values.push_back(parseInteger(text.substr(start, comma - start), min, max, what));
        if (comma == std::string::npos) return values;
        start = comma + 1;
    }
}

}  // namespace sim::tools
