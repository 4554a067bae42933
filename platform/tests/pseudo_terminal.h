// The master side of a pseudo-terminal for the port tests: raw, non-blocking, its slave side
// unlocked and named by ptsname().
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace platform_test {

// -1 when no pseudo-terminal can be had.
inline int openRawPseudoTerminal() {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master < 0) return -1;
    termios raw{};
    if (grantpt(master) != 0 || unlockpt(master) != 0 || tcgetattr(master, &raw) != 0) {
        close(master);
        return -1;
    }
    cfmakeraw(&raw);
    if (tcsetattr(master, TCSANOW, &raw) != 0) {
        close(master);
        return -1;
    }
    return master;
}

}  // namespace platform_test
