#include "platform/memory_port.h"

#include <algorithm>

#include "platform/clock.h"

namespace platform {

std::string MemoryLine::sentText() const {
    std::string text;
    for (const auto& byte : sent) text.push_back(static_cast<char>(byte.value));
    return text;
}

void MemoryLine::feedAfter(uint32_t delayMs, const std::string& bytes) {
    arrivals.push_back({tickCountMs() + delayMs, bytes});
}

namespace {

// Moves the arrivals whose time has come to the bytes the port reads.
void deliverArrivals(MemoryLine& line) {
    const uint32_t now = tickCountMs();
    while (!line.arrivals.empty() && static_cast<int32_t>(now - line.arrivals.front().atMs) >= 0) {
        line.feed(line.arrivals.front().bytes);
        line.arrivals.pop_front();
    }
}

}  // namespace

bool MemoryPort::setBufferSizes(size_t receive, size_t transmit) {
    if (line_->refuseBufferSizes) return false;
    line_->receiveBufferSize = receive;
    line_->transmitBufferSize = transmit;
    return true;
}

bool MemoryPort::apply(const LineSettings& settings) {
    if (line_->refuseApply) return false;
    line_->settings = settings;
    line_->settingsApplied = true;
    ++line_->applies;
    setDtr(settings.dtr);
    line_->rts = settings.rts;
    return true;
}

bool MemoryPort::readSettings(LineSettings& settings) {
    if (line_->refuseReadSettings) return false;
    settings = line_->settings;
    return true;
}

void MemoryPort::setDtr(bool on) {
    if (on != line_->dtr) line_->dtrChanges.push_back({line_->sent.size(), on, tickCountMs()});
    line_->dtr = on;
}

bool MemoryPort::setImmediateReads(int) { return !line_->refuseTimeouts; }

bool MemoryPort::purge(bool, bool receive) {
    if (line_->refusePurge) return false;
    ++line_->purges;
    if (receive) line_->incoming.clear();
    return true;
}

bool MemoryPort::write(const uint8_t* data, size_t size) {
    if (line_->refuseWrite) return false;
    for (size_t i = 0; i < size; ++i) {
        line_->sent.push_back({data[i], line_->settings});
        if (line_->peer) line_->peer(*line_, data[i]);
    }
    return true;
}

long MemoryPort::read(uint8_t* data, size_t capacity) {
    deliverArrivals(*line_);
    const size_t n = std::min(capacity, line_->incoming.size());
    std::copy_n(line_->incoming.begin(), n, data);
    line_->incoming.erase(line_->incoming.begin(), line_->incoming.begin() + static_cast<long>(n));
    return static_cast<long>(n);
}

uint32_t MemoryPort::clearErrors() {
    const uint32_t flags = line_->pendingErrors;
    line_->pendingErrors = 0;
    return flags;
}

bool MemoryPort::close() {
    if (line_->refuseClose) return false;
    line_->open = false;
    return true;
}

void openPortsOnMemoryLine(std::shared_ptr<MemoryLine> line) {
    setPortOpener([line](int) -> std::unique_ptr<SerialPort> {
        if (line->refuseOpen) return nullptr;
        line->open = true;
        return std::make_unique<MemoryPort>(line);
    });
}

}  // namespace platform
