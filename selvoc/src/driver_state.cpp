#include "driver_state.h"

#include "selvoc.h"

extern "C" {
SELVOC_API int hComId = -1;
}

namespace selvoc {

DriverState& driverState() {
    static DriverState state;
    return state;
}

void storePortHandle(int handle) { hComId = handle; }

void resetDriverState() {
    DriverState& state = driverState();
    if (state.port) state.port->close();
    state = DriverState{};
    storePortHandle(-1);
}

}  // namespace selvoc
