#include "line_driver_setup.h"

#include <cstring>
#include <string>

#include "exchange.h"
#include "library_state.h"
#include "platform/clock.h"

namespace kavex {
namespace {

constexpr const char* kSetupTexts[] = {"&\r", "*0\r", "@011\r", ">PS255\r", ">b\r", "\x11"};
constexpr size_t kShortStampLine = 14;

}  // namespace

int32_t detectLineDriverStamp(platform::SerialPort& port) {
    for (const char* text : kSetupTexts) port.write(std::string(text));
    drainReplies();
    port.write(std::string("<<\r"));
    int32_t stamp = 0;
    char line[kReplyCapacity];
    while (readReply(line, 1) == 0) {
        if (std::strstr(line, "TIME ON") != nullptr) {
            stamp = std::strlen(line) == kShortStampLine ? 6 : 12;
        }
    }
    port.write(std::string("\x13"));
    platform::sleepMs(100);
    return stamp;
}

}  // namespace kavex
