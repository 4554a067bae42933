// Files a terminal starts with: generated punch days, or the files of a folder.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "terminal_state.h"

namespace sim {
namespace {

namespace fs = std::filesystem;

constexpr int64_t kSecondsPerDay = 86'400;
constexpr int kFirstPunchSecond = 7 * 3600;  // punches fall between 07:00 and 19:00
constexpr int kLastPunchSecond = 19 * 3600;
constexpr int kBadgeCount = 8;  // the staff of a generated day

std::string punchLine(int secondOfDay, int direction, int badge, int address) {
    char line[48];
    std::snprintf(line, sizeof line, "%02d%02d%02d%d%08d%02d", secondOfDay / 3600,
                  secondOfDay / 60 % 60, secondOfDay % 60, direction, badge, address % 100);
    return line;
}

// One day's punches; the day number, not the run of days, seeds it, so a day always gets the
// same punches for the same seed.
Records punchDay(const PunchDays& days, int64_t dayNumber) {
    std::seed_seq seeds{days.seed, static_cast<uint32_t>(dayNumber)};
    std::mt19937 random(seeds);
    const int low = std::max(0, days.minPunches);
    const int count =
        std::uniform_int_distribution<int>(low, std::max(low, days.maxPunches))(random);
    std::uniform_int_distribution<int> second(kFirstPunchSecond, kLastPunchSecond - 1);
    std::uniform_int_distribution<int> badge(1, kBadgeCount);
    std::uniform_int_distribution<int> direction(0, 1);
    std::vector<int> seconds(static_cast<size_t>(count));
    for (int& at : seconds) at = second(random);
    std::sort(seconds.begin(), seconds.end());
    Records lines;
    for (int at : seconds)
        lines.push_back(punchLine(at, direction(random), 1000 + badge(random), days.address));
    return lines;
}

// Lines ended by CR, LF or CR LF; a last line without an end counts too.
Records splitLines(const std::string& text) {
    Records lines;
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            line.push_back(text[i]);
            continue;
        }
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        lines.push_back(std::move(line));
        line.clear();
    }
    if (!line.empty()) lines.push_back(std::move(line));
    return lines;
}

Records readLines(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    std::ostringstream text;
    text << in.rdbuf();
    return splitLines(text.str());
}

DriveFiles readDriveFolder(const fs::path& folder) {
    DriveFiles files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        const std::string name = entry.path().filename().string();
        if (!isTerminalFileName(name)) {
            throw std::runtime_error("not a terminal file name: " + entry.path().string());
        }
        files[name] = readLines(entry.path());
    }
    return files;
}

}  // namespace

std::string punchFileName(int year, int month, int day) {
    char name[16];
    std::snprintf(name, sizeof name, "PRE%d%02d%02d", year % 10, month, day);
    return name;
}

DriveFiles generatePunchDays(const PunchDays& days, CivilSeconds today) {
    DriveFiles files;
    const int64_t todayNumber =
        today >= 0 ? today / kSecondsPerDay : (today + 1) / kSecondsPerDay - 1;
    for (int back = 0; back < days.days; ++back) {
        const int64_t dayNumber = todayNumber - back;
        const CivilDateTime date = civilDateTime(dayNumber * kSecondsPerDay);
        files[punchFileName(date.year, date.month, date.day)] = punchDay(days, dayNumber);
    }
    return files;
}

TerminalFiles readTerminalFolder(const std::string& folder) {
    try {
        TerminalFiles files;
        files['A'] = readDriveFolder(folder);
        for (const char drive : {'A', 'B', 'C'}) {
            const fs::path sub = fs::path(folder) / std::string(1, drive);
            if (!fs::is_directory(sub)) continue;
            for (auto& [name, records] : readDriveFolder(sub))
                files[drive][name] = std::move(records);
        }
        return files;
    } catch (const fs::filesystem_error& error) {
        throw std::runtime_error(error.what());
    }
}

}  // namespace sim
