#pragma once
// The simulated devices a test reaches a terminal through: a device on a pseudo-terminal linked
// as COM7 (a line, a bus, a modem) or a network box on a loopback UDP address; and the rows
// that register such terminals.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <QSqlRecord>
#include <QVariant>

#include "DMDatabase.h"
#include "sim/network_box.h"
#include "sim/terminal.h"
#include "sim_session.h"

using Colonne = std::vector<std::pair<const char*, QVariant>>;

// A terminal configuration whose clock stands at 31/12/2015 08:15:30 and that holds `files` on
// drive A.
sim::TerminalConfig terminaleCon(sim::DriveFiles files = {}, const char* modello = "Pello");

// A punch line of the simulated terminals: time, direction, badge, the terminal's address.
inline std::string rigaTimbratura(const char* ora, int verso, const char* badge)
{
    return std::string(ora) + std::to_string(verso) + badge + "01";
}

// Two days of punch lines, three on the 30th and two on the 31st.
inline const sim::Records kTrenta{rigaTimbratura("073000", 0, "00001234"), rigaTimbratura("123000", 1, "00001234"),
                                  rigaTimbratura("080000", 0, "00000042")};
inline const sim::Records kTrentuno{rigaTimbratura("081530", 0, "00001234"),
                                    rigaTimbratura("170000", 1, "00001234")};

// The question before a download.
inline const QString kDomandaScarico = QStringLiteral("Procedere allo Scarico Delle Timbrature ?");

// A rilevatori row of terminal `codice` with the layout of the simulated punch lines, then the
// given columns; the other columns keep their defaults.
QSqlRecord rigaRilevatore(zentar::TDMDatabase& database, int codice, const Colonne& colonne);

class DispositiviSimulati {
protected:
    // Starts `device` on COM7.
    void suLinea(kavex_test::SimDevice device);

    // Starts a network box on a free port of 127.0.0.2 with `terminale` at `numero` on its serial
    // side. Skips the test when this computer offers Kavex no loopback adapter to bind to.
    void inScatola(int numero, const sim::TerminalConfig& terminale, sim::BoxConfig config = {});

    // The columns of a terminal at `numero` behind the box of inScatola, then `altre`.
    Colonne colonneScatola(int numero, const Colonne& altre = {}) const;

    // The simulated terminal that is reached.
    sim::Terminal& terminale();

    // Short protocol time-outs while a test runs; the library's defaults and a closed device
    // after it.
    static void tempiBrevi();
    void fermaDispositivi();

    // What ConnettiTerminale is given as this computer's address.
    QString indirizzoLocale;
    std::unique_ptr<kavex_test::SimSession> sessione;
    std::unique_ptr<sim::NetworkBox> scatola;
    std::shared_ptr<sim::Terminal> terminaleScatola;
};
