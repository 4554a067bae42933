#pragma once
// A fresh database, a registered and selected terminal, a simulated device to reach it (on a
// pseudo-terminal linked as COM7: a line, a bus, a modem; or behind a network box on a loopback
// UDP address), and the terminal operations wired as the program wires them, on the real
// libkavex.so noted by KavexRegistrata, reporting to recording windows.

#include <memory>
#include <utility>
#include <vector>

#include <QSqlTableModel>
#include <QVariant>

#include "Clock.h"
#include "ServiziTerminale.h"
#include "DatabaseFixture.h"
#include "Registratori.h"
#include "sim/network_box.h"
#include "sim/terminal.h"
#include "sim_session.h"

using Colonne = std::vector<std::pair<const char*, QVariant>>;

class TerminaleSimulato : public DatabaseTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Registers terminal `codice` with the layout of the simulated punch lines and the given
    // columns, and selects it as the terminal chooser does.
    void registra(int codice, Colonne colonne);

    // Starts `device` on COM7.
    void suLinea(kavex_test::SimDevice device);

    // Starts a network box on a free port of 127.0.0.2 with `terminale` at `numero` on its serial
    // side. Skips the test when this computer offers Kavex no loopback adapter to bind to.
    void inScatola(int numero, const sim::TerminalConfig& terminale, sim::BoxConfig config = {});

    // The columns of a terminal at `numero` behind the box of inScatola, then `altre`.
    Colonne colonneScatola(int numero, const Colonne& altre = {}) const;

    // The simulated terminal that is reached.
    sim::Terminal& terminale();

    // The date the punch file names are read against: their year digits mean 2010-2019.
    zentar::FixedClock orologio{QDate(2015, 12, 31)};
    // What ConnettiTerminale is given as this computer's address.
    QString indirizzoLocale;
    KavexRegistrata kavex;
    VisteRegistrate viste;
    std::unique_ptr<zentar::ServiziTerminale> servizi;
    zentar::GestoreConnessione* connessione = nullptr;  // servizi->connessione
    std::unique_ptr<kavex_test::SimSession> sessione;
    std::unique_ptr<sim::NetworkBox> scatola;
    std::shared_ptr<sim::Terminal> terminaleScatola;
};

// A terminal configuration whose clock stands at 31/12/2015 08:15:30 and that holds `files` on
// drive A.
sim::TerminalConfig terminaleCon(sim::DriveFiles files = {}, const char* modello = "Pello");
