/*
 * SelvoC, the serial line driver of the Selvo multi-drop bus.
 *
 * The driver owns one serial port at a time. Every terminal on the bus answers to a one-byte
 * address; the computer is the only master and a terminal speaks only when it is polled.
 * Address bytes travel under mark parity (ninth bit 1), every other byte under space parity
 * (ninth bit 0); on a radio modem link both are sent without parity.
 *
 * Port number n opens the device file $COM_PORT_DIR/COM<n> when COM_PORT_DIR is set, otherwise
 * the link ports/COM<n> beside the running program when there is one, otherwise /dev/ttyS<n-1>.
 *
 * Every export reports through its result only: the driver keeps no error state, prints
 * nothing and never lets an exception or a signal of its own escape. The driver has no locks:
 * one caller at a time. All protocol waits are busy loops on the monotonic clock, so a call keeps
 * one core busy until it returns.
 *
 * Time units: a tick is 1/950 s (about 1.05 ms), a fine tick 1/9500 s (about 105 us).
 *
 * Building against an installation (in /opt/zentar unless another prefix was chosen):
 * `pkg-config --cflags --libs selvoc`, or find_package(Kavex) and the target Kavex::selvoc.
 */
#ifndef SELVOC_H
#define SELVOC_H

#include <stdint.h>

#if defined(__GNUC__)
#define SELVOC_API __attribute__((visibility("default")))
#else
#define SELVOC_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Size of the text buffer PollTerm and PollAll fill: at most 121 characters and the NUL. */
#define SELVOC_TEXT_SIZE 122
/* Longest text SendMsg sends. */
#define SELVOC_MAX_MESSAGE 120

/*
 * The file descriptor of the port. -1 at load; written by every attempt to open a port (-1 when
 * the attempt fails, including a start-up abandoned on a line that never falls quiet). ResetSlv
 * closes the port but leaves the number here; use GetCOMHandle to learn whether a port is open.
 */
SELVOC_API extern int hComId;

/*
 * InitSlv: opens serial port `port` (1-500) for the Selvo bus.
 *   lineKind   0, 1 or 2: a wired line; 3: a wired line whose first-reply waits are nine times
 *              longer; 8: a radio modem link (19200 baud, no parity, AT start-up of about 0.9 s).
 *   maxAddress 1-254: the highest address PollAll polls.
 *   fourth     ignored.
 * A wired line starts at 57600 baud. The start-up discards what the line carries, waits until
 * the line has been quiet for one tick, sends "1" and switches echo reading on when the line
 * sends that "1" straight back.
 *
 * Silence wait: when bytes keep arriving so that no quiet tick is found within 1900 ticks (2 s),
 * the start-up gives up, closes the port and returns -2, as for a port that cannot be opened: a
 * line that never falls quiet cannot carry the polling protocol.
 *
 * Results:
 *   1016, 760, 1000, 744  success on port 1, 2, 3, 4
 *   1                     success on any other port
 *   -1  an argument out of range (nothing changes)
 *   -2  the port could not be opened, or the line never fell quiet (see above)
 *   -3  a port is already open (the open port is left unchanged)
 *   -4  the timing set-up gave no positive reply wait
 *   -5  the port refused the line setting
 *   -6  the port refused the time-outs
 *   -7  no high-resolution counter
 *   -8  unsupported operating system (never on Linux)
 *   -9  the port refused the buffer sizes
 * On any failure no port is left open.
 */
SELVOC_API int32_t InitSlv(int32_t port, int32_t lineKind, int32_t maxAddress, int32_t fourth);

/*
 * InitNET: as InitSlv, but polls are sent with the code 6 instead of 3, and whether the line is a
 * radio link stays as the previous start-up left it (a wired line after load).
 */
SELVOC_API int32_t InitNET(int32_t port, int32_t lineKind, int32_t maxAddress, int32_t fourth);

/*
 * ChgSpeedSlv: changes the line speed. speedIndex 0, 1, 2, 3 = 9600, 19200, 38400, 57600 baud.
 * On a wired line speeds 0 and 1 double the reply and echo waits. Both queues are discarded.
 * Results: 0 done; -1 speedIndex outside 0-3; -3 no port open; -4 the port refused the new
 * setting (the line stays at its previous speed and timing).
 */
SELVOC_API int32_t ChgSpeedSlv(int32_t speedIndex);
/* ChgSpeedNET: the same as ChgSpeedSlv. */
SELVOC_API int32_t ChgSpeedNET(int32_t speedIndex);

/*
 * ResetSlv: closes the port. Results: 0 closed; -1 no port open, or the close failed (the driver
 * is without a port either way).
 */
SELVOC_API int32_t ResetSlv(void);
/* ResetNET: the same as ResetSlv. */
SELVOC_API int32_t ResetNET(void);

/*
 * PollTerm: polls terminal `address` (1-255) and receives its message, if it has one.
 * `text` must hold SELVOC_TEXT_SIZE (122) bytes; it is written only when a message arrives.
 * A garbled answer, a message too short or with a wrong checksum is asked for again with "R";
 * at most 10 polls are sent, and after a first answer four silences in a row end the poll.
 * Results:
 *   2   a message arrived and was acknowledged; its text (first byte the terminal's address) is
 *       in `text`, NUL-terminated, at most 121 characters
 *   1   the terminal answered and has nothing to deliver
 *   0   no answer
 *   -1  `text` null, `address` outside 1-255, or 10 polls without a usable answer
 *   -3  no port open
 */
SELVOC_API int32_t PollTerm(int32_t address, char* text);

/*
 * PollAll: polls the addresses 1 to maxAddress in rotation, continuing after the address polled
 * last, at most maxAddress polls. `text` as for PollTerm.
 * Results: the address (1-254) of the first terminal that delivered a message, its text in
 * `text`; 0 none did; -1 `text` null or a poll ended with -1; -3 no port open.
 */
SELVOC_API int32_t PollAll(char* text);

/*
 * SendMsg: sends `text` (at most 120 characters; null is sent as an empty text) to terminal
 * `address` (0-255; 0 reaches every terminal and is not answered). A terminal that asks for the
 * message again ("R") gets it again, at most 5 transmissions in all.
 * Results: 0 accepted, or sent to address 0; -1 `address` outside 0-255, `text` longer than 120
 * characters (nothing is sent), refused, not answered, 5 transmissions asked for again, or (for
 * address 0) the port refused to write the frame; -3 no port open.
 */
SELVOC_API int32_t SendMsg(int32_t address, const char* text);

/* RetryNum: the repeats of the last PollTerm or SendMsg (0-255); -3 when no port is open. */
SELVOC_API int32_t RetryNum(void);

/*
 * GetCOMHandle: 0 before the first successful start-up, the port's file descriptor while a port
 * is open, -1 after ResetSlv.
 */
SELVOC_API int32_t GetCOMHandle(void);

#ifdef __cplusplus
}
#endif

#endif /* SELVOC_H */
