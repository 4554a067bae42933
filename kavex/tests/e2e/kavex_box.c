/*
 * A plain C program on libkavex.so for a terminal behind a network box:
 * opens mode 6 on local UDP port LOCAL, selects the box at BOX (remote port REMOTE), makes this
 * computer (MASTER) the box's master with "M" and "%", selects terminal TERMINAL and reads its
 * clock; with CIPHER 1 the terminal data and the box commands are enciphered.
 *
 *   kavex_box LOCAL BOX REMOTE MASTER TERMINAL CIPHER
 *
 * Prints the clock; exit status 0 when every step worked, 1 otherwise.
 */
#include <stdio.h>
#include <stdlib.h>

#include "kavex.h"

static int fail(const char* step) {
    char text[KAVEX_ERROR_SIZE];
    const int32_t code = GetError(text);
    fprintf(stderr, "%s failed: %d %s\n", step, (int)code, text);
    ExitCOMM();
    return 1;
}

int main(int argc, char** argv) {
    char answer[KAVEX_REPLY_SIZE + 2];
    char master[64];
    char time[KAVEX_REPLY_SIZE];

    if (argc != 7) {
        fprintf(stderr, "usage: %s LOCAL BOX REMOTE MASTER TERMINAL CIPHER\n", argv[0]);
        return 2;
    }
    CryptMessages(atoi(argv[6]));
    CryptLbxCmds(atoi(argv[6]));
    if (InitCOMM(atoi(argv[1]), KAVEX_MODE_NETWORK_BOX, 0, 0) <= 0) return fail("InitCOMM");
    /* All local addresses: the socket answers on loopback whatever the host name resolves to. */
    if (ChangeAdapter("0.0.0.0") != 0) return fail("ChangeAdapter");
    if (SetRemoteUDPPort(atoi(argv[3])) != 0) return fail("SetRemoteUDPPort");
    if (SetIPAddress(argv[2]) != 0) return fail("SetIPAddress");
    snprintf(master, sizeof master, "M%s", argv[4]);
    if (LbxCommand(master, answer) != 0) return fail("LbxCommand M");
    if (LbxCommand("%", answer) != 0) return fail("LbxCommand %");
    if (SetTerminal(atoi(argv[5])) != 0) return fail("SetTerminal");
    if (GetTime(time) != 0) return fail("GetTime");
    printf("time %s\n", time);
    if (ExitCOMM() != 0) return fail("ExitCOMM");
    return 0;
}
