/*
 * A plain C program on libkavex.so: opens a device, selects and logs on to a terminal, sends one
 * command and prints its reply.
 *
 *   kavex_session PORT MODE BAUD FORMAT TERMINAL COMMAND
 *
 * Exit status 0 when every step worked; otherwise the failing step and GetError's text go to
 * standard error and the status is 1 (2 for bad arguments).
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
    if (argc != 7) {
        fprintf(stderr, "usage: %s PORT MODE BAUD FORMAT TERMINAL COMMAND\n", argv[0]);
        return 2;
    }
    const int32_t port = atoi(argv[1]);
    const int32_t mode = atoi(argv[2]);
    const int32_t baud = atoi(argv[3]);
    const int32_t format = atoi(argv[4]);
    const int32_t terminal = atoi(argv[5]);
    char reply[KAVEX_REPLY_SIZE];

    if (InitCOMM(port, mode, baud, format) <= 0) return fail("InitCOMM");
    if (SetTerminal(terminal) != 0) return fail("SetTerminal");
    if (SendCommand(argv[6], reply) != 0) return fail("SendCommand");
    printf("%s\n", reply);
    if (ExitCOMM() != 0) return fail("ExitCOMM");
    return 0;
}
