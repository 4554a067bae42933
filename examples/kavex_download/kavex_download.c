/*
 * kavex_download: receives one file of a time-attendance terminal on a serial line through
 * Kavex, the way any program can use the library.
 *
 *   kavex_download PORT FILE LOCAL [MODE [BAUD [TERMINAL]]]
 *
 * PORT is the serial port number (COM<PORT>: $COM_PORT_DIR/COM<PORT> when COM_PORT_DIR is set,
 * else the link ports/COM<PORT> beside this program when there is one, else /dev/ttyS<PORT-1>),
 * FILE the terminal's file, LOCAL the file written here. MODE is
 * the connection mode (default 3, a direct RS232 line), BAUD the speed (default 9600, 8N1),
 * TERMINAL the terminal's number (default 0, the one on a direct line).
 *
 * Try it without a terminal on the simulator installed beside Zentar:
 *   kavex-sim rs232 --dir /tmp/ports --port 3 --punch-days 3 &
 *   COM_PORT_DIR=/tmp/ports kavex_download 3 <a punch file> punches.txt
 */
#include <stdio.h>
#include <stdlib.h>

#include <kavex.h>

/* Prints what failed with Kavex's error code and text, and returns the exit status. */
static int report_failure(const char* step)
{
    char text[KAVEX_ERROR_SIZE];
    const int32_t code = GetError(text);
    fprintf(stderr, "kavex_download: %s failed: error %d: %s\n", step, (int)code, text);
    return 1;
}

/* A whole decimal number, or `fallback` when the argument is absent; -1 when it is not one. */
static long number_argument(int argc, char** argv, int index, long fallback)
{
    char* end = NULL;
    long value;
    if (index >= argc)
        return fallback;
    value = strtol(argv[index], &end, 10);
    return (*argv[index] != '\0' && *end == '\0' && value >= 0 && value <= 1000000) ? value : -1;
}

int main(int argc, char** argv)
{
    char version[KAVEX_VERSION_SIZE];
    long port, mode, baud, terminal;
    int status = 0;

    if (argc < 4 || argc > 7) {
        fprintf(stderr, "usage: kavex_download PORT FILE LOCAL [MODE [BAUD [TERMINAL]]]\n");
        return 2;
    }
    port = number_argument(argc, argv, 1, 0);
    mode = number_argument(argc, argv, 4, 3);
    baud = number_argument(argc, argv, 5, 9600);
    terminal = number_argument(argc, argv, 6, 0);
    if (port < 1 || mode < 0 || baud < 0 || terminal < 0) {
        fprintf(stderr, "kavex_download: PORT, MODE, BAUD and TERMINAL are whole numbers, PORT from 1\n");
        return 2;
    }

    if (GetKavexVersion(version) == 0)
        printf("Kavex %s\n", version[0] != '\0' ? version : "(version unknown)");

    if (InitCOMM((int32_t)port, (int32_t)mode, (int32_t)baud, 0) < 0)
        return report_failure("InitCOMM");
    if (SetTerminal((int32_t)terminal) < 0)
        status = report_failure("SetTerminal");
    else if (RecvFile(argv[2], argv[3]) < 0)
        status = report_failure("RecvFile");
    else
        printf("received %s into %s\n", argv[2], argv[3]);

    if (ExitCOMM() < 0 && status == 0)
        status = report_failure("ExitCOMM");
    return status;
}
