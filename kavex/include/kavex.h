/*
 * Kavex, the terminal link library.
 *
 * Kavex talks to one time-attendance terminal at a time over one device: the Selvo bus (through
 * libselvoc.so), an RS232 line (direct, through a line driver, or relayed by a terminal), or a
 * network box over UDP. Call InitCOMM to open the device (for the network box then ChangeAdapter
 * and SetIPAddress; for a dial-up line DialNumber), SetTerminal to select and log on to a
 * terminal, then any command, HangUp for a dial-up line, and ExitCOMM last.
 *
 * Conventions
 * - Every function returns 0 (or a count or handle where said) on success and a negative value on
 *   failure. After a failure GetError gives the error code and its text; almost every function
 *   first clears the error code and the reply buffer, so call GetError right after the failure.
 * - Texts are zero-terminated 8-bit strings. Output buffers belong to the caller and are never
 *   written past the size given here. A null pointer is refused with error 3, never dereferenced.
 * - The library keeps one process-wide state and expects one caller thread at a time.
 *
 * Building against an installation (in /opt/zentar unless another prefix was chosen):
 *   cc prog.c $(pkg-config --cflags --libs kavex)     with PKG_CONFIG_PATH=/opt/zentar/lib/pkgconfig
 *   find_package(Kavex) and target_link_libraries(prog PRIVATE Kavex::kavex)   in CMake
 * libkavex.so loads libselvoc.so from its own folder when a Selvo bus mode is opened.
 */
#ifndef KAVEX_H
#define KAVEX_H

#include <stdint.h>

#if defined(__GNUC__)
#define KAVEX_API __attribute__((visibility("default")))
#else
#define KAVEX_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Size of a buffer that receives one reply line: up to 127 characters and the zero. */
#define KAVEX_REPLY_SIZE 128
/* Size of the buffer GetError fills: the longest message, ": <", a reply line and ">". */
#define KAVEX_ERROR_SIZE 256
/* Size of the buffers GetKavexVersion and GetSelvocVersion fill. */
#define KAVEX_VERSION_SIZE 32
/* Size of the buffer LbxCommand fills: up to 129 characters of the box's answer and the zero. */
#define KAVEX_LBX_ANSWER_SIZE 130
/* Size of the buffer GetLocalIPAddress fills: a dotted IPv4 address and the zero. */
#define KAVEX_ADDRESS_SIZE 16
/* Size of the buffer GetAllIPAddress fills: six addresses, each followed by "|", and the zero. */
#define KAVEX_ADDRESS_LIST_SIZE (6 * 17 + 1)

/* Connection modes, the second argument of InitCOMM. */
enum {
    KAVEX_MODE_SELVO0 = 0,          /* Selvo bus, line kind 0 */
    KAVEX_MODE_SELVO1 = 1,          /* Selvo bus, line kind 1 */
    KAVEX_MODE_LINE_DRIVER = 2,     /* RS232 to a line driver relaying to numbered terminals */
    KAVEX_MODE_RS232 = 3,           /* direct RS232 to one terminal */
    KAVEX_MODE_RS232_INDIRECT = 4,  /* RS232 to a terminal that relays to others */
    KAVEX_MODE_SELVO2 = 5,          /* Selvo bus, line kind 2 */
    KAVEX_MODE_NETWORK_BOX = 6,     /* network box over UDP */
    KAVEX_MODE_RESERVED7 = 7,       /* never opened */
    KAVEX_MODE_SELVO_RADIO = 8      /* Selvo bus over a radio modem */
};

/* The file descriptor of the serial port in modes 2, 3 and 4; -1 when none is open. */
KAVEX_API extern int hCommId;

/* ---- Device and errors ---------------------------------------------------------------- */

/*
 * Opens the device.
 *   port    serial port 1-500 (COM1..; $COM_PORT_DIR/COM<n> when COM_PORT_DIR is set, else the
 *           link ports/COM<n> beside the running program when there is one, else /dev/ttyS<n-1>),
 *           or the UDP port (1 or more) in mode 6.
 *   mode    0-8, see above.
 *   baud    Selvo modes: 0 (keep 57600), 9600, 19200, 38400 or 57600; mode 8: 19200 only.
 *           Mode 2: 2400, 9600, 19200, 38400. Modes 3, 4: 1200, 2400, 4800, 9600, 19200, 38400.
 *           Mode 6: 0.
 *   format  Selvo modes: -1 or 0. RS232 modes: 0 8N1, 1 7O1, 2 7E1, 3 8O1, 4 8E1. Mode 6: 0.
 * Returns on success: in the Selvo modes the result of InitSlv; in the RS232 modes 1016, 760,
 * 1000 or 744 for ports 1 to 4 and 1 for any other; in mode 6 the UDP port, taken as an unsigned
 * 16-bit number, which becomes both the local and the remote port. -1 on failure:
 *   1 a device is already open; 3 a bad argument; 10 libselvoc.so not found; 11-20 the line
 *   driver's start-up failed (a result r of InitSlv becomes 11 - r); 21 the speed change failed
 *   (the driver's port stays open); 22-27 the serial port could not be opened or set up.
 *   Mode 6: 71 no socket library; 7 one of its functions missing; 72 its start-up refused and
 *   73 it granted another version than 1.1 (GetError shows the number); the computer's own
 *   addresses could not be listed: 6, 8, 9, 32, 33 or 34.
 * Mode 7 returns -1 with the error code left at 0. Every call, refused or not, restores the
 * default terminal password and cipher key, and chooses the first adapter of GetAllIPAddress
 * again (also for a network box left open by the refused call).
 */
KAVEX_API int32_t InitCOMM(int32_t port, int32_t mode, int32_t baud, int32_t format);

/* Closes the device. 0, or -1: 2 no device, 29/30 the line driver refused, 31 the port did not
 * close, 98 the socket library did not stop (GetError shows the socket error number); the device
 * then stays open and the call may be repeated. */
KAVEX_API int32_t ExitCOMM(void);

/*
 * Writes the text of the current error into `text` (KAVEX_ERROR_SIZE bytes) and returns the
 * error code. Code 0 gives "None"; codes 70, 72-78, 89 and 98 give their formatted text (message
 * and a number); every other code gives its message, ": <", the last reply line and ">".
 * A null `text` sets error 3 and returns -1.
 */
KAVEX_API int32_t GetError(char* text);

/* Sets the wait for a terminal's reply, in seconds (more than 0); else -1 with error 3.
 * Also exported as SetSelvoTimeOut. */
KAVEX_API int32_t Set232TimeOut(int32_t seconds);
KAVEX_API int32_t SetSelvoTimeOut(int32_t seconds);
/* The wait for a terminal's reply, in seconds. */
KAVEX_API int32_t Get232TimeOut(void);
/* Sets the total wait of one exchange with the network box, in seconds (more than 0; held at
 * about 24 days). 0, or -1 with error 3. GetWinSockTimeOut returns it in seconds. */
KAVEX_API int32_t SetWinSockTimeOut(int32_t seconds);
KAVEX_API int32_t GetWinSockTimeOut(void);
/* Sets the quiet time used to empty an RS232 line after a failed receive, 1-20 seconds.
 * 0, or -1 with error 3. */
KAVEX_API int32_t PurgeRS232TimeOut(int32_t seconds);

/* Write the version of libkavex.so or libselvoc.so (KAVEX_VERSION_SIZE bytes): of a file version
 * a.b.c.d the text "b.c.d". 0, or -1 with error 3 for a null `text`. When the file or its
 * version cannot be found the text is empty and the result is still 0. */
KAVEX_API int32_t GetKavexVersion(char* text);
KAVEX_API int32_t GetSelvocVersion(char* text);

/* ---- Command exchange ----------------------------------------------------------------- */

/*
 * Sends a command (at most 127 characters, 120 on the Selvo bus; null sends an empty one) to the
 * selected terminal and waits for its reply line, which goes into `reply` (KAVEX_REPLY_SIZE
 * bytes). A command beginning "%%" waits at least 10 s and pauses 750 ms after the reply.
 * 0, or -1: 2 no device, 3 bad command or null reply, 4 no terminal, 35 partial line, 40 no
 * reply, 41 reply from another terminal, 42 not sent / "~S", 70 line errors, 88 "~R",
 * 93 a reply longer than 127 characters. Behind the network box: 77 not sent and 78 not
 * received (GetError shows the socket error number), 79 no acknowledgement or reply within
 * SetWinSockTimeOut's time, 96 the box sent an error datagram, 97 the socket reported closed.
 */
KAVEX_API int32_t SendCommand(const char* command, char* reply);
/* Sends a command without waiting for a reply. 0, or -1 (2, 3, 4, 42; 77, 78, 79, 96, 97 behind
 * the network box, which must acknowledge it). */
KAVEX_API int32_t PostCommand(const char* command);
/* Takes a reply line that has already arrived, without waiting, into `reply` (KAVEX_REPLY_SIZE
 * bytes). 0, or -1: 3 null `reply`, 2 no device, 4 no terminal, 40 no whole line waiting (79
 * behind the network box), or the reader's error (35, 41, 70, 93; 78, 96, 97 behind the box). */
KAVEX_API int32_t GetResponse(char* reply);
/* Waits up to one second for a line the terminal sends of its own into `text`
 * (KAVEX_REPLY_SIZE bytes). 0, or -1 with the errors of GetResponse. */
KAVEX_API int32_t GetMsgEx(char* text);

/* ---- Dial-up modem -------------------------------------------------------------------- */

/*
 * A terminal, line driver or relaying terminal on a dial-up line: the port opened in mode 2, 3
 * or 4 is a Hayes-style modem. Call DialNumber after InitCOMM and before SetTerminal, HangUp
 * before ExitCOMM (which does not hang up). Every modem answer is read as one line into the
 * reply buffer, so GetError shows the last one. Through a line driver (mode 2) the answers are
 * read as whole lines, without a terminal number, while either function runs.
 */

/*
 * Sets the modem up, sends the initialisation text, dials and waits for the connection.
 *   init    null or "" for none, else at most 32 characters, sent as it is and CR; the modem
 *           must echo it exactly. One holding "+CPIN=" (in any case) gets 10 s to answer.
 *   number  1-32 characters, dialled as "ATD" number CR; the modem must echo that exactly.
 *   wait    seconds the modem waits for the carrier, up to 120; less than 45 counts as 45.
 * The modem is woken with a CR and set up with "ATE1Q0S7=" wait CR (echo on, result codes on)
 * before and after the initialisation text. After the dial command up to 10 answer lines are
 * read, each waited for up to wait + 10 s: empty lines and "CARRIER" are passed over, a line
 * holding "CONNECT" (e.g. "CONNECT 9600") connects, a line that is a piece of "NO CARRIER:
 * ERROR:NO DIAL TONE:BUSY:NO ANSWER" fails. Takes at least 1.5 s (the modem's set-up pauses).
 * 0 connected; -1 or -2 on failure:
 *   -1: 2 no device, 5 not an RS232 mode, 3 init longer than 32, number null, empty or longer
 *       than 32, or wait above 120; 87 no echo of init or of the dial command; 86 the echo of
 *       init differs; 85 the set-up command was answered "ERROR"; 82 the echo of the dial
 *       command differs; 83 a failure answer after dialling; 90 no answer in time, or 10
 *       answers without a decision.
 *   -2: 86 init answered "ERROR"; 87 no echo of the second set-up command.
 */
KAVEX_API int32_t DialNumber(const char* init, const char* number, int32_t wait);

/*
 * Returns the modem to command mode ("+++" after a 1.2 s pause; through a line driver ">P0"
 * CR first), drops DTR for half a second and hangs up with "ATH" CR. Takes about 2.5 s with a
 * modem that answers at once (1.1 s more through a line driver), up to about 12 s with a silent
 * one.
 * 0 when the modem answers "OK", "NO CARRIER" or an empty line (a piece of "OK:NO CARRIER")
 * within 2 s, after its echo; -1: 2 no device, 5 not an RS232 mode, 84 no such answer.
 */
KAVEX_API int32_t HangUp(void);

/* ---- Network box ---------------------------------------------------------------------- */

/*
 * Selects the network box at `address`, a dotted IPv4 address in canonical form (7-15
 * characters, no leading zeros or blanks), and opens the socket, bound to the adapter chosen
 * with ChangeAdapter (the first of GetAllIPAddress when none was) and to the local port of
 * InitCOMM; a socket still open is closed first.
 * Asks the box for its status, "X", up to SetWinSockTimeOut / 2 s times (at least once), 2 s
 * each; a status answer holding "V" selects the box, on a multi-drop serial side ("C3" in the
 * answer, terminals 1-254) or on one terminal directly (terminal 0). Deselects the terminal
 * in every case. While EnableMeter is on, the meter callback shows the connection.
 * 0, or -1: 2 no device, 3 bad or null address, 5 the device is not the network box,
 * 74/75/76 the socket could not be created, bound or made non-blocking (the socket library is
 * then stopped until ExitCOMM and InitCOMM), 77 not sent, 78 not received, 79 no answer,
 * 96 an error datagram, 97 the socket reported closed.
 */
KAVEX_API int32_t SetIPAddress(const char* address);

/*
 * Sends a command (at most 127 characters) to the network box itself and copies its answer into
 * `answer` (KAVEX_LBX_ANSWER_SIZE bytes, emptied first). "X" answers the status without its
 * last character; "A<address>" and any command holding "C" ("C3" for a multi-drop serial side)
 * take effect with "%", which applies the settings and restarts the box: "%" gives 0 when it is
 * acknowledged, or with "UDP_INIT" in `answer` when the box announces its restart.
 * "M<address>" makes that computer the box's master. Enciphered while CryptLbxCmds is on.
 * 0, or -1: 2 the device is not the network box, 3 bad or null argument, 77, 78, 79, 96, 97 as
 * for SetIPAddress; -1 with the error code 0 when terminal data came instead of an answer.
 */
KAVEX_API int32_t LbxCommand(const char* command, char* answer);

/* Sends the box the command "%" three times without waiting. 0, or -1: 2 the device is not the
 * network box, 77 not sent. */
KAVEX_API int32_t LbxReset(void);

/* Sets the UDP port of the box (0-65535) for the datagrams from now on. 0, or -1: 3 bad port,
 * 2 no device, 5 the device is not the network box. */
KAVEX_API int32_t SetRemoteUDPPort(int32_t port);

/* Chooses the local adapter whose address (exactly as GetAllIPAddress lists it; "0.0.0.0" binds
 * to every address) the next SetIPAddress binds to. Until then, and again after every InitCOMM,
 * the first one is chosen: on a computer on a network that is its first network interface, not
 * loopback, so a box on loopback (a simulator) needs a loopback adapter or "0.0.0.0" here.
 * 0, or -1: 3 null address, 2 the device is not the network box, 101 no such adapter (the first
 * adapter is chosen instead). */
KAVEX_API int32_t ChangeAdapter(const char* address);

/* Writes the chosen adapter's address into `address` (KAVEX_ADDRESS_SIZE bytes; empty when the
 * computer has no address). 0, or -1: 3 null buffer, 2 the device is not the network box,
 * 102 no valid adapter chosen. */
KAVEX_API int32_t GetLocalIPAddress(char* address);

/* Writes every adapter's address, each followed by "|", into `addresses`
 * (KAVEX_ADDRESS_LIST_SIZE bytes), as InitCOMM listed them: the IPv4 addresses of the computer's
 * network interfaces that are up, those of other interfaces first and loopback last, each once,
 * at most five; where no interface is listed, the addresses the computer's host name resolves
 * to; then "0.0.0.0". For example "192.0.2.2|127.0.0.1|0.0.0.0|". Empty when the computer has
 * no address. 0, or -1: 3 null buffer, 2 the device is not the network box. */
KAVEX_API int32_t GetAllIPAddress(char* addresses);

/* ---- Progress display ----------------------------------------------------------------- */

/*
 * Kavex draws no windows: it reports its progress displays (the network box connection, file
 * transfers) as events to one callback of the host program, called on the caller's thread
 * while the operation runs. Every pointer in an event is valid only during the call. The
 * callback must not call Kavex functions other than GetError, EnableMeter and SetMeterCallback.
 */
typedef struct KavexMeterEvent {
    int32_t kind;       /* KAVEX_METER_... */
    const char* text;   /* the title or status line; "" for kinds without one, never null */
    int32_t records;    /* records so far */
    int32_t total;      /* expected total */
    int32_t running;    /* running total */
    int32_t elapsedMs;  /* the connection window: milliseconds since it opened... */
    int32_t timeoutMs;  /* ...against this full time */
} KavexMeterEvent;

enum {
    KAVEX_METER_OPEN = 1,     /* text: title, total: expected total */
    KAVEX_METER_PROGRESS = 2, /* records, total, running total; elapsedMs/timeoutMs for the
                                 connection window (there total = timeoutMs and running =
                                 elapsedMs as well) */
    KAVEX_METER_STATUS = 3,   /* text: a status line, e.g. the box address or "Connect Socket",
                                 "Status Request", "Data..", "OK !" */
    KAVEX_METER_TOTAL = 4,    /* total changed ("Total bytes") */
    KAVEX_METER_CLOSE = 5,
    KAVEX_METER_PUMP = 6      /* file transfers: the host's turn to process its own pending
                                 events, every fourth transferred record (counted across
                                 transfers) once a meter has been shown; records: the count
                                 of the transfer. Sent also while no meter is shown. */
};

typedef void (*KavexMeterCallback)(const KavexMeterEvent* event, void* context);

/* Registers the callback that receives the meter's events, with `context` passed back to it;
 * null removes it, and with no callback nothing is shown. Always 0. */
KAVEX_API int32_t SetMeterCallback(KavexMeterCallback callback, void* context);

/* Any non-zero value shows the progress displays from now on, 0 hides them. Always 0; the error
 * code is not touched. */
KAVEX_API int32_t EnableMeter(int32_t enable);

/* ---- Cipher of the network box -------------------------------------------------------- */

/* Sets the 16-character key shared with the network box; -1 with error 3 otherwise. */
KAVEX_API int32_t SetEncryptKey(const char* key);
/* Enciphers terminal data (non-zero) or not (0). Always 0. */
KAVEX_API int32_t CryptMessages(int32_t on);
/* Enciphers box commands (non-zero) or not (0). Always 0. */
KAVEX_API int32_t CryptLbxCmds(int32_t on);

/* ---- Terminal selection and logon ----------------------------------------------------- */

/*
 * Selects terminal `terminal` and logs on: 1-254 on the Selvo bus and through a line driver,
 * 0 on a direct line, 0-31 on a relayed line; behind the network box 1-254 on a multi-drop
 * serial side and 0 on one terminal directly (see SetIPAddress). 0 when selected and its model recognised; -2 when
 * it did not answer the identification or named no known model (it stays selected); -1 on
 * failure: 2 no device, 3 bad number, 45 EOT not answered, 47 cannot talk with the terminal,
 * 80 LOGOFF not answered, 81 bad answer to LOGON, 91 no network box selected; a refused password
 * leaves the error code as it was before the password (normally 0).
 */
KAVEX_API int32_t SetTerminal(int32_t terminal);
/* Switches to terminal `terminal` without the logon dialogue. 0, or -1 (2, 3, 91). */
KAVEX_API int32_t ChgTerminal(int32_t terminal);
/* Sets the password (1-5 characters) answered to a terminal's prompt. 0, or -1; the error code
 * is not touched. InitCOMM restores the default. */
KAVEX_API int32_t SetPassword(const char* password);

/* ---- Clock and configuration ---------------------------------------------------------- */

/*
 * Every operation here sends one command to the selected terminal with SendCommand and judges
 * its reply: a setting must come back as the exact echo of its command, a reading comes back as
 * the command word, a blank and the value. Each one first clears the error code and the reply
 * buffer; a failed exchange leaves the error code of SendCommand (35, 40-42, 70, 77-79, 88, 93,
 * 96, 97). Common errors: 2 no device, 4 no terminal selected, 3 a bad argument (nothing sent).
 */

/* Number of configuration parameters (0-99) and size of one slot of a value table. */
#define KAVEX_PARAMETER_COUNT 100
#define KAVEX_PARAMETER_SLOT_SIZE 17

/* Reads the clock, "@TIME": `time` (KAVEX_REPLY_SIZE bytes) gets the reply from its seventh
 * character on, normally hhmmss. 0, or -1: 3 null `time`, 2, 4, 49 a reply under 7 characters. */
KAVEX_API int32_t GetTime(char* time);
/* Sets the clock, "@TIME hhmmss": `time` is exactly six digits, hours 0-23, minutes and seconds
 * 0-59. 0, or -1: 3 null or bad `time`, 2, 4, 49 the terminal did not echo the command. */
KAVEX_API int32_t SetTime(const char* time);
/* Reads the calendar, "@DATE": `date` (KAVEX_REPLY_SIZE bytes) gets the reply from its seventh
 * character on, normally wyymmdd. 0, or -1: 3 null `date`, 2, 4, 50 a reply under 7 characters. */
KAVEX_API int32_t GetDate(char* date);
/* Sets the calendar, "@DATE wyymmdd": exactly seven digits, day of the week 0-6, year 00-99,
 * month 01-12, day from 01 to 31, 29 (February, any year), 31 or 30 by month; the day of the
 * week is not compared with the date. 0, or -1: 3 null or bad `date`, 2, 4, 50 no echo. */
KAVEX_API int32_t SetDate(const char* date);
/* Reads parameter `number` (0-99), "@CFG nn": `value` (KAVEX_REPLY_SIZE bytes) gets the reply
 * from its ninth character on, or "" for a shorter reply. 0, or -1: 3 null `value` or bad
 * number, 2, 4. */
KAVEX_API int32_t GetParameter(int32_t number, char* value);
/* Writes parameter `number` (0-99), "@CFG nn value"; `value` at most 32 characters, null sent
 * as "". 0, or -1: 3 a longer value or bad number, 2, 4, 51 no echo. */
KAVEX_API int32_t SetParameter(int32_t number, const char* value);
/*
 * The table forms: `selected` holds KAVEX_PARAMETER_COUNT integers, non-zero for each parameter
 * to handle, in the order 0 to 99; `values` holds KAVEX_PARAMETER_COUNT slots of
 * KAVEX_PARAMETER_SLOT_SIZE bytes, slot i at byte 17 x i.
 * GetAllParams reads each selected parameter into its slot (a value of more than 16 characters
 * is cut to 16) and leaves the other slots untouched. SetAllParams writes each selected
 * parameter from the text of its slot, which must end within the slot (at most 16 characters;
 * a slot without its zero is refused with error 3).
 * 0 when all were handled; -1 with error 3 when a table is null; otherwise the first failing
 * parameter's number minus 100 (-100 for parameter 0 .. -1 for 99), with that failure's error
 * code (2, 4, 3, 51 or the exchange's); the parameters after it are not sent.
 */
KAVEX_API int32_t GetAllParams(const int32_t* selected, char* values);
KAVEX_API int32_t SetAllParams(const int32_t* selected, const char* values);
/* Makes drive A, B or C (the first character of `drive`, upper case; the rest is ignored) the
 * terminal's current drive, "@CD x". 0, or -1: 2, 4, 3 null or another letter, 48 no echo. */
KAVEX_API int32_t ChgDrv(const char* drive);

/* ---- Files on the terminal ------------------------------------------------------------ */

/*
 * Terminal file names are 1 to 8 characters. Each operation first clears the error code and the
 * reply buffer. Common errors: 2 no device, 4 no terminal selected, 3 a bad argument; an
 * exchange that fails leaves the error code of SendCommand or of the reply reader (35, 40-42,
 * 70, 77-79, 88, 93, 96, 97).
 * When a transfer fails while the terminal is still sending, Kavex ends it with 0x04 (once
 * behind the network box, else up to three times until the terminal answers with 0x04) and, on
 * a direct or relayed RS232 line (modes 3, 4), empties the line; GetError then shows the error
 * and the reply line that caused the failure.
 * While EnableMeter is on, transfers show the meter through the meter callback: OPEN with the
 * title and the expected total, PROGRESS after each record with the count and the running total
 * of bytes, TOTAL when the expected total changes, CLOSE at the end; every fourth record
 * (counted across transfers) KAVEX_METER_PUMP gives the host its turn.
 */

/* ListFiles: at most this many entries, each in a slot of this size (up to 15 characters and
 * the zero; a longer listing line is cut to fit), so the buffer holds KAVEX_LIST_BUFFER_SIZE. */
#define KAVEX_LIST_MAX_ENTRIES 512
#define KAVEX_LIST_ENTRY_SIZE 16
#define KAVEX_LIST_BUFFER_SIZE (KAVEX_LIST_MAX_ENTRIES * KAVEX_LIST_ENTRY_SIZE)
/* ViewFile: the largest buffer it takes. */
#define KAVEX_VIEW_MAX_SIZE 65535
/* SetKeyRecStr: the longest key. */
#define KAVEX_RECORD_KEY_MAX 64

/*
 * Lists the terminal's files matching `pattern` (null or "": all; at most 8 characters), "@DIR"
 * or "@DIR pattern", into `entries` (KAVEX_LIST_BUFFER_SIZE bytes): slot i at byte 16 x i holds
 * one listing line, the name padded to 8, a separator and the size in bytes (the number of
 * records on the Ovrid model). Returns the number of entries. With a pattern of exactly 8
 * characters (a whole name) on other models, the first reply alone answers: 1 and the entry in
 * slot 0, or 0 when the terminal has no such file ("?*"), `entries` untouched.
 * -1 on failure: 2, 4, 3 null `entries` or a longer pattern, 52 the reply does not begin with
 * "@DI", 53 more than KAVEX_LIST_MAX_ENTRIES entries (the listing is ended with 0x04),
 * 54 the terminal's count differs from the lines received, or the reader's error.
 */
KAVEX_API int32_t ListFiles(const char* pattern, char* entries);

/*
 * Receives terminal file `name` into the local file `path`, created anew (an existing file is
 * replaced), one record per line followed by CR LF. The file's size comes from the listing
 * first ("@DIR" with the name padded to 8), except for "CFGS". The read command is
 * "@TYPE name", or with a record key (SetKeyRec, SetKeyRecStr) "@DBL n name D" or
 * "@DBL key name". The end line's count, and its "RECS " checksum (the sum of the record bytes
 * modulo 32768) when it has one, must match. Returns the number of records written (with a key
 * text, the key record itself is not written). A file of more than 65000 records fails with 60.
 * -1 on failure, and the local file is deleted: 2, 4, 3 null or bad `name` or `path`, or a
 * record key on the Ovrid model; 56 the local file cannot be created (nothing to delete);
 * 52 the listing finds no such file or fails; 62 the terminal does not know the command ("??");
 * 61 the key text is not found ("?*"); 94 a record cannot be written; 68 bad checksum; 60 the
 * count differs; or the error of the exchange or the reader. 67: the local file could not be
 * closed, and is kept. Every call consumes the record keys, except a failed listing (52).
 * A key number that the file does not reach gives 0 records and an empty local file.
 * Meter: "Receive File: name", expecting the listed size (twice it for names beginning "PRE",
 * "QVCARDS", "QVTIMET", "INPUTS", "USERCODS", "SHORTKEY"; on the Ovrid model the size of the
 * first record with CR LF times the listed record count, set at the first record; 0, unknown,
 * for "CFGS"); each record counts its length without CR LF. For other names, when the running
 * total first passes the expected size, the meter closes and opens again as "SendFile: name"
 * expecting twice the size, its running total back at zero.
 */
KAVEX_API int32_t RecvFile(const char* name, const char* path);

/*
 * Reads terminal file `name` with "@TYPE name" into `text`, a buffer of `size` bytes (1 to
 * KAVEX_VIEW_MAX_SIZE), as lines each followed by CR LF, zero-terminated. Returns the number of
 * lines; when the next line does not fit, the transfer is ended and the lines that fit are
 * returned (success). The end line's count is not compared.
 * -1 on failure: 2, 4, 3 null or bad `name`, null `text`, `size` 0 or above 65535; 62 the
 * terminal did not echo the command; or the error of the exchange or the reader.
 */
KAVEX_API int32_t ViewFile(const char* name, char* text, uint32_t size);

/* Deletes terminal file `name`, "@DEL name". 0, or -1: 2, 4, 3 null or bad name, 65 no echo. */
KAVEX_API int32_t DeleFile(const char* name);

/* The next RecvFile reads from record number `record` on ("@DBL n name D"); 0 clears both
 * record keys. Clears the key text. 0, or -1 with error 3 for a negative number. */
KAVEX_API int32_t SetKeyRec(int32_t record);
/* The next RecvFile reads the records after the first one beginning with `key` ("@DBL key
 * name"); 1 to KAVEX_RECORD_KEY_MAX characters. Clears the key number. 0, or -1 with error 3. */
KAVEX_API int32_t SetKeyRecStr(const char* key);

/* ---- Sending files and programs ------------------------------------------------------- */

/*
 * The local file is read record by record: a CR ends a record (an empty one is sent as an empty
 * text), an LF at the start of a record is skipped (so CR LF and CR line ends both work), 0x1A
 * or the end of the file ends a record, and a record that ends before its first character ends
 * the file; a record holds at most 127 characters. Each record is sent as one command and must
 * come back as its exact echo; at the end 0x04 is sent and the terminal's answer, the number of
 * records it stored, must equal the count sent. Meter: the local file's size as the expected
 * total, each record counting its length plus 2.
 */

/*
 * Sends local file `path` to terminal file `name` (1-8 characters from 0x21 to 0x7F) with
 * "@LOAD name", " P" appended when `option_p` is 1, and `number` (0-127) appended when not 0
 * (after a blank without the P option: "@LOAD name 12", "@LOAD name P12"). The terminal is
 * woken with 0x04 first; on the Ovrid model the old file is deleted first ("@DEL name"). At
 * most 500001 records. Meter title "Send File: name". Returns the number of records sent.
 * -1 on failure: 3 null or bad argument, 2, 4; 45 0x04 not answered (before or after the
 * records); 55 the load command not echoed; 56 the local file cannot be opened; 58 a local
 * record is longer than 127 characters or cannot be read; 59 a record not echoed; 60 the
 * terminal's count differs; 64 the file has more records than the limit; 67 the local file
 * could not be closed; or the exchange's error for a record. On every failure after the load
 * command was echoed, except 67, the partial file is deleted on the terminal ("@DEL name").
 */
KAVEX_API int32_t SendFile(const char* path, const char* name, int32_t option_p, int32_t number);

/*
 * Sends local file `path` as the terminal's program: "%XI", then "@LOADP" and the records, at
 * most 10001. Meter title "Work in progress...". Returns the number of records sent.
 * -1 on failure: 3 null `path`, 2, 4; 46 "%XI" not answered; 55 "@LOADP" not echoed; 56, 58, 64
 * and 67 as for SendFile; 59 a record not sent or not echoed; 45 0x04 not answered; 60 the
 * terminal's count differs. A failed load leaves what the terminal stored.
 */
KAVEX_API int32_t SendPrg(const char* path);

#ifdef __cplusplus
}
#endif

#endif /* KAVEX_H */
