#pragma once
// A fresh database, a registered and selected terminal, a simulated device to reach it, and the
// terminal operations wired as the program wires them, on the real libkavex.so noted by
// KavexRegistrata, reporting to recording windows.

#include <memory>

#include "Clock.h"
#include "DatabaseFixture.h"
#include "DispositiviSimulati.h"
#include "Registratori.h"
#include "ServiziTerminale.h"

class TerminaleSimulato : public DatabaseTest, public DispositiviSimulati {
protected:
    void SetUp() override;
    void TearDown() override;

    // Registers terminal `codice` with the layout of the simulated punch lines and the given
    // columns, and selects it as the terminal chooser does.
    void registra(int codice, const Colonne& colonne);

    // The date the punch file names are read against: their year digits mean 2010-2019.
    zentar::FixedClock orologio{QDate(2015, 12, 31)};
    KavexRegistrata kavex;
    VisteRegistrate viste;
    std::unique_ptr<zentar::ServiziTerminale> servizi;
    zentar::GestoreConnessione* connessione = nullptr;  // servizi->connessione
};
