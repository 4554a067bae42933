#include "driver_fixture.h"

#include "driver_state.h"
#include "platform/clock.h"
#include "selvoc.h"

namespace selvoc_test {
namespace {

constexpr uint8_t kMessageStart = 0x07;
constexpr uint8_t kAcknowledge = 'a';

bool isPoll(const Frame& frame) {
    return frame.size() == 2 && frame[1] != kMessageStart && frame[1] != kAcknowledge;
}

bool isCompleteMessage(const Frame& frame) {
    return frame.size() >= 4 && frame[1] == kMessageStart && frame.back() == 0;
}

class FaultyPort final : public platform::SerialPort {
public:
    FaultyPort(std::shared_ptr<MemoryLine> line, PortFaults faults)
        : inner_(std::move(line)), faults_(faults) {}

    int handle() const override { return faults_.handle; }
    bool setBufferSizes(size_t receive, size_t transmit) override {
        return inner_.setBufferSizes(receive, transmit);
    }
    bool apply(const platform::LineSettings& settings) override { return inner_.apply(settings); }
    bool readSettings(platform::LineSettings& settings) override {
        return inner_.readSettings(settings);
    }
    bool setImmediateReads(int writeTimeoutMs) override {
        return inner_.setImmediateReads(writeTimeoutMs);
    }
    bool purge(bool transmit, bool receive) override { return inner_.purge(transmit, receive); }
    bool write(const uint8_t* data, size_t size) override { return inner_.write(data, size); }
    long read(uint8_t* data, size_t capacity) override {
        if (faults_.noisyReads != 0 && capacity > 0) {
            if (faults_.noisyReads > 0) --faults_.noisyReads;
            data[0] = 0x55;
            return 1;
        }
        return inner_.read(data, capacity);
    }
    size_t transmitQueue() override { return faults_.stuckTransmitQueue ? 1 : 0; }
    uint32_t clearErrors() override { return inner_.clearErrors(); }
    void setDtr(bool on) override { inner_.setDtr(on); }
    void setRts(bool on) override { inner_.setRts(on); }
    bool carrierDetect() override { return inner_.carrierDetect(); }
    bool close() override { return inner_.close(); }

private:
    platform::MemoryPort inner_;
    PortFaults faults_;
};

}  // namespace

ScriptedBus::ScriptedBus(MemoryLine& line) {
    line.peer = [this](MemoryLine& l, uint8_t byte) { received(l, byte); };
}

void ScriptedBus::received(MemoryLine& line, uint8_t byte) {
    if (line.settings.parity == Parity::Mark || frames.empty()) frames.emplace_back();
    Frame& frame = frames.back();
    frame.push_back(byte);
    if (echo) line.incoming.push_back(byte);
    if (isPoll(frame)) answer(line, pollAnswers);
    if (isCompleteMessage(frame)) answer(line, messageAnswers);
}

void ScriptedBus::answer(MemoryLine& line, std::deque<std::string>& answers) {
    if (answers.empty()) return;
    line.feed(answers.front());
    answers.pop_front();
}

std::vector<std::pair<int, int>> ScriptedBus::polls() const {
    std::vector<std::pair<int, int>> result;
    for (const Frame& frame : frames) {
        if (isPoll(frame)) result.emplace_back(frame[0], frame[1]);
    }
    return result;
}

std::vector<Frame> ScriptedBus::messages() const {
    std::vector<Frame> result;
    for (const Frame& frame : frames) {
        if (frame.size() >= 2 && frame[1] == kMessageStart) result.push_back(frame);
    }
    return result;
}

std::vector<Frame> ScriptedBus::acknowledgements() const {
    std::vector<Frame> result;
    for (const Frame& frame : frames) {
        if (frame.size() == 2 && frame[1] == kAcknowledge) result.push_back(frame);
    }
    return result;
}

void openFaultyPorts(std::shared_ptr<MemoryLine> line, PortFaults faults,
                     std::shared_ptr<std::vector<int>> openedPorts) {
    platform::setPortOpener([=](int port) -> std::unique_ptr<platform::SerialPort> {
        if (openedPorts) openedPorts->push_back(port);
        if (line->refuseOpen) return nullptr;
        line->open = true;
        return std::make_unique<FaultyPort>(line, faults);
    });
}

void SelvocDriverTest::SetUp() {
    selvoc::resetDriverState();
    platform::openPortsOnMemoryLine(line);
}

void SelvocDriverTest::TearDown() {
    selvoc::resetDriverState();
    platform::setPortOpener({});
    platform::overrideCounterFrequency(-1);
}

void SelvocDriverTest::openWired(int32_t lineKind, int32_t maxAddress) {
    ASSERT_EQ(InitSlv(1, lineKind, maxAddress, 0), 1016);
    line->sent.clear();
    bus.frames.clear();
}

}  // namespace selvoc_test
