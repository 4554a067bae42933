// The terminal most tests start from: a fixed clock at Thursday 31/12/2015 08:15:30, a small
// file on each of drives A and B, and two punch days.
#pragma once

#include <string>
#include <vector>

#include "sim/line_device.h"
#include "sim/terminal.h"

namespace simtest {

inline const sim::CivilSeconds kFixedNow = sim::civilSeconds(2015, 12, 31, 8, 15, 30);

inline sim::TerminalConfig fixtureConfig() {
    sim::TerminalConfig config;
    config.hostClock = [] { return kFixedNow; };
    config.files['A']["ABC"] = {"one", "two", "three"};  // 17 bytes with CR LF, checksum 1204
    config.files['A']["PRE51230"] = {"08153010000123403"};
    config.files['A']["PRE51231"] = {"07000000000111101", "17000010000111101"};
    config.files['B']["BFILE"] = {"x"};
    return config;
}

// The end line of a transfer.
inline std::string endLine(const std::string& rest) {
    return "\x04" + rest;
}

// Hands the bytes to the device in one read and gives back what it answers.
inline std::string feed(sim::LineDevice& device, const std::string& bytes) {
    std::string out;
    device.received(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), 0, out);
    return out;
}

}  // namespace simtest
