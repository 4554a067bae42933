// A radio modem in front of a device. In data mode bytes pass through both ways. "+++" between
// two quiet spells (the guard time) enters command mode, where every AT line ending in CR is
// recorded and answered "OK\r\n"; "ATO" returns to data mode.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "sim/line_device.h"

namespace sim {

class RadioModem : public LineDevice {
public:
    // Quiet time that must surround "+++" for it to count as the escape.
    static constexpr int64_t kGuardNs = 50'000'000;

    explicit RadioModem(std::shared_ptr<LineDevice> inner) : inner_(std::move(inner)) {}

    void received(const uint8_t* data, size_t size, int64_t nowNs, std::string& out) override;
    void idle(int64_t nowNs, std::string& out) override;

    std::vector<std::string> commands() const;  // the AT commands seen, without CR, in order
    bool inCommandMode() const;

private:
    void takeDataByte(uint8_t byte, int64_t nowNs, std::string& out);
    void takeCommandByte(uint8_t byte, std::string& out);
    void passOn(const std::string& bytes, int64_t nowNs, std::string& out);
    bool quietSince(int64_t nowNs) const;
    void enterCommandMode(std::string& out);

    std::shared_ptr<LineDevice> inner_;
    mutable std::mutex mutex_;
    bool commandMode_ = false;
    std::string pendingData_;  // a run of "+" after a quiet spell, held back until it is clear
    std::string commandLine_;
    std::vector<std::string> commands_;
    std::optional<int64_t> lastByteNs_;
};

}  // namespace sim
