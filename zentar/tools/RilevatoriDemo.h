#pragma once
// The terminals of the demo, as the terminal edit window would register them: one behind a
// network box on a loopback address, one on a dial-up modem. Both carry the punch layout of
// the edit window's defaults, which is the layout of the simulated terminals' punch lines:
// hhmmss, the direction digit, an 8-digit badge and the 2-digit terminal number.

#include <utility>
#include <vector>

#include <QString>
#include <QVariant>

#include "DMDatabase.h"

namespace zentar {

// Where the demo's simulated devices are.
struct PorteDemo {
    int portaScatola = 8499;  // the network box's UDP port, on kIndirizzoScatolaDemo
    int portaModem = 2;       // the modem's serial port, COM<n> of COM_PORT_DIR
};

inline const QString kIndirizzoScatolaDemo = QStringLiteral("127.0.0.2");

struct RilevatoreDemo {
    int Codice = 0;
    QString Descrizione;
    QString collegamento;  // how it is reached, for the operator
    std::vector<std::pair<QString, QVariant>> colonne;  // every column the row sets, Codice first
};

std::vector<RilevatoreDemo> RilevatoriDemo(const PorteDemo& porte);

struct RegistrazioneDemo {
    RilevatoreDemo rilevatore;
    bool registrato = false;       // false: a terminal with its Codice was there and is kept
    QString descrizionePresente;  // the kept terminal's Descrizione
};

// Registers each terminal whose Codice is not in rilevatori yet, every column its row sets
// and the table's defaults for the others; a terminal already there is left untouched, so
// registering again changes nothing. Throws DatabaseError, with the cached rows dropped.
std::vector<RegistrazioneDemo> RegistraRilevatori(TDMDatabase& database, std::vector<RilevatoreDemo> rilevatori);

// RegistraRilevatori of the demo's terminals.
std::vector<RegistrazioneDemo> RegistraRilevatoriDemo(TDMDatabase& database, const PorteDemo& porte);

}  // namespace zentar
