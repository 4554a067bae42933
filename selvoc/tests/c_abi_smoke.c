/* A C program on libselvoc.so: opens a port, polls one terminal, sends it a message, closes.
 * Usage: c_abi_smoke <port> <address> <message>. Prints one line with every result; exit status
 * 0 when a message was received and the message sent was accepted. */
#define _POSIX_C_SOURCE 200809L

#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#include "selvoc.h"

int main(int argc, char** argv) {
    char text[SELVOC_TEXT_SIZE];
    int32_t port;
    int32_t address;
    int32_t opened;
    int32_t polled;
    int32_t sent;
    int32_t retries;
    int32_t reset;
    int handleMatches;
    const struct timespec settle = {0, 30000000L};

    if (argc != 4) {
        fprintf(stderr, "usage: %s <port> <address> <message>\n", argv[0]);
        return 2;
    }
    port = (int32_t)atoi(argv[1]);
    address = (int32_t)atoi(argv[2]);

    /* Line kind 3: first replies are awaited nine ticks, room for a simulated terminal. */
    opened = InitSlv(port, 3, 254, 0);
    if (opened <= 0) {
        printf("InitSlv %d\n", (int)opened);
        return 1;
    }
    /* A simulated bus knows the start-up's echo probe by the quiet after it; give it that quiet
     * even when the machine is too busy to run the simulator during the driver's busy wait. */
    nanosleep(&settle, NULL);
    handleMatches = hComId >= 0 && GetCOMHandle() == hComId;
    text[0] = '\0';
    polled = PollTerm(address, text);
    sent = SendMsg(address, argv[3]);
    retries = RetryNum();
    reset = ResetSlv();
    printf("opened %d handle %s polled %d text '%s' sent %d retries %d reset %d\n", (int)opened,
           handleMatches ? "ok" : "wrong", (int)polled, polled == 2 ? text + 1 : "", (int)sent,
           (int)retries, (int)reset);
    return polled == 2 && sent == 0 && handleMatches ? 0 : 1;
}
