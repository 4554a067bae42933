/*
 * A plain C program on libkavex.so for a terminal behind a dial-up modem on a direct line:
 * dials, logs on, lists the punch files, receives the first one (count and checksum checked),
 * sends it back under another name, sets the clock and a parameter, and hangs up.
 *
 *   kavex_dialup PORT NUMBER FOLDER
 *
 * Prints one line per step; exit status 0 when every step worked, 1 otherwise.
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "kavex.h"

static int fail(const char* step) {
    char text[KAVEX_ERROR_SIZE];
    const int32_t code = GetError(text);
    fprintf(stderr, "%s failed: %d %s\n", step, (int)code, text);
    HangUp();
    ExitCOMM();
    return 1;
}

int main(int argc, char** argv) {
    static char entries[KAVEX_LIST_BUFFER_SIZE];
    char name[16];
    char path[512];
    char value[KAVEX_REPLY_SIZE];
    int32_t count, records, sent;

    if (argc != 4) {
        fprintf(stderr, "usage: %s PORT NUMBER FOLDER\n", argv[0]);
        return 2;
    }
    if (InitCOMM(atoi(argv[1]), KAVEX_MODE_RS232, 9600, 0) <= 0) return fail("InitCOMM");
    if (DialNumber("", argv[2], 45) != 0) return fail("DialNumber");
    if (SetTerminal(0) != 0) return fail("SetTerminal");

    count = ListFiles("PRE", entries);
    if (count < 1) return fail("ListFiles");
    printf("files %d\n", (int)count);

    memcpy(name, entries, 8);
    name[8] = '\0';
    for (int i = 7; i >= 0 && name[i] == ' '; --i) name[i] = '\0';
    snprintf(path, sizeof path, "%s/%s", argv[3], name);
    records = RecvFile(name, path);
    if (records < 0) return fail("RecvFile");
    printf("received %s %d\n", name, (int)records);

    sent = SendFile(path, "COPY", 0, 0);
    if (sent != records) return fail("SendFile");
    printf("sent COPY %d\n", (int)sent);

    if (SetTime("123456") != 0) return fail("SetTime");
    if (SetParameter(7, "DEMO") != 0) return fail("SetParameter");
    if (GetParameter(7, value) != 0) return fail("GetParameter");
    printf("parameter 7 %s\n", value);

    if (HangUp() != 0) return fail("HangUp");
    if (ExitCOMM() != 0) return fail("ExitCOMM");
    printf("done\n");
    return 0;
}
