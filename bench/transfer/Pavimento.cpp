#include "Pavimento.h"

#include <algorithm>
#include <cstdint>

namespace zentar::bench {

namespace {

// The driver's fine tick on a nanosecond counter: frequency / 9500, the remainder dropped.
constexpr int64_t kFineTickNs = 1'000'000'000 / 9500;
constexpr int kByteComandoFissi = 2 + 2 + 2 + 2 + 2;  // poll, address and 0x07, checksum and 0x00,
                                                      // poll of the reply, acknowledgement
constexpr int kRisposteComando = 3;                   // to the poll, the message, the reply's poll
constexpr int kBytePerRiga = 2 + 2;                   // poll, acknowledgement
constexpr int kRispostePerRiga = 1;                   // to the poll
constexpr double kCicloLetturaSerialeS = 0.010;
constexpr double kPausaDopoRigaS = 0.010;
constexpr double kMezzoSecondo = 0.5;
constexpr double kPausaConfermaS = 2 * 0.004;
constexpr int kCaratteriNumeroTerminale = 3;

}  // namespace

double PavimentoSelvo(const Trasferimento& t, int ritardoCarattere, double giroLinea)
{
    int64_t byteInviati = int64_t{t.righe} * kBytePerRiga;
    int64_t risposte = int64_t{t.righe} * kRispostePerRiga;
    for (const std::string& comando : t.comandi) {
        byteInviati += kByteComandoFissi + comando.size();
        risposte += kRisposteComando;
    }
    // The last byte of an answered frame costs the longer of the delay and the round trip.
    const double ritardo = double(ritardoCarattere * kFineTickNs) / 1e9;
    return double(byteInviati - risposte) * ritardo + double(risposte) * std::max(ritardo, giroLinea);
}

namespace {

double pavimentoDiretto(const Trasferimento& t, int attesaSvuotamento, double perRiga)
{
    const double svuotamento = 2 * attesaSvuotamento * kMezzoSecondo;
    return double(t.comandi.size() + t.righe) * perRiga + svuotamento;
}

}  // namespace

double PavimentoDiretto(const Trasferimento& t, int attesaSvuotamento)
{
    return pavimentoDiretto(t, attesaSvuotamento, kPausaDopoRigaS);
}

double PavimentoDirettoConCicloLettura(const Trasferimento& t, int attesaSvuotamento)
{
    return pavimentoDiretto(t, attesaSvuotamento, kCicloLetturaSerialeS + kPausaDopoRigaS);
}

double PavimentoLineDriver(const Trasferimento& t, int baud, int bitCarattere)
{
    const double tempoCarattere = double(bitCarattere) / baud;
    const int caratteriRecord = kCaratteriNumeroTerminale + t.lunghezzaRecord + 1;
    const int caratteriFine = kCaratteriNumeroTerminale + 2 + 1;  // at least 0x04, one digit, CR
    const double caratteri = double(t.righe - 1) * caratteriRecord + caratteriFine;
    return double(t.comandi.size()) * kCicloLetturaSerialeS + caratteri * tempoCarattere;
}

double PavimentoBox(const Trasferimento& t)
{
    return double(t.comandi.size() + t.righe) * kPausaConfermaS;
}

}  // namespace zentar::bench
