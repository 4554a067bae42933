#pragma once
// The floor a receive cannot go below: the waits Kavex must make in one RecvFile of a punch file,
// whatever the speed of the machine and of the device at the far end. Each transport has its
// own; they are computed from the transfer's shape, never measured.

#include <string>
#include <vector>

namespace zentar::bench {

// What one RecvFile exchanges: the commands it sends (each answered by one reply line) and the
// lines that follow the read command (the records and the end line).
struct Trasferimento {
    std::vector<std::string> comandi;
    int righe = 0;
    int lunghezzaRecord = 0;  // characters of one record, without its line end
};

// Selvo bus, wired: every byte the computer sends is followed by the character delay, a busy wait
// of `ritardoCarattere` fine ticks (1/9500 s each). A command costs a poll, the message frame
// (address, 0x07, text, checksum, 0x00), and the poll and acknowledgement of its reply; every
// further line a poll and an acknowledgement: two bytes each. A frame that is answered is
// answered no sooner than `giroLinea` seconds after its last byte left, the line's round trip.
double PavimentoSelvo(const Trasferimento& t, int ritardoCarattere, double giroLinea);

// Direct RS232 line (mode 3): after each line the reader pauses 10 ms. The end of a good
// transfer drains the line until a read of 2 x `attesaSvuotamento` half-seconds stays empty.
double PavimentoDiretto(const Trasferimento& t, int attesaSvuotamento);
// The same, with one poll cycle of 10 ms per line besides: each line is read right after
// something was written (the command, or the lone CR that asks for the next record), and a read
// that finds the line still empty pauses 10 ms. On a real line that first read always comes too
// early, as the CR alone takes a character time to leave; on a pseudo-terminal it sometimes
// does not, when the simulator answers before the reader's first read.
double PavimentoDirettoConCicloLettura(const Trasferimento& t, int attesaSvuotamento);

// Line driver (mode 2) with the terminal number checked: no pause after a line, so after the one
// poll cycle of each command the records flow as fast as the line carries them. Its floor is the
// character time of each line ("%03d", the record, CR) at `baud` with `bitCarattere` bits per
// character (start, data, parity, stop).
double PavimentoLineDriver(const Trasferimento& t, int baud, int bitCarattere);

// Network box over UDP: every reply datagram is acknowledged with a 4 ms pause before and after
// the acknowledgement; the box keeps records waiting, so no further pause is forced.
double PavimentoBox(const Trasferimento& t);

}  // namespace zentar::bench
