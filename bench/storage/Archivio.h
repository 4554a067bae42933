#pragma once
// Archives of punches for the storage, export and start-up benchmarks: Zentar's own schema (made
// by opening its data module), filled fast outside Zentar (one transaction: the SQLite C API,
// or one INSERT ... SELECT on PostgreSQL), so that only the measured work goes through Zentar.

#include <initializer_list>
#include <memory>
#include <vector>

#include <QDate>
#include <QString>

#include "DMDatabase.h"
#include "TerminalState.h"

namespace zentar::bench {

enum class Motore { SQLite, PostgreSQL };

QString NomeMotore(Motore motore);

// Ends the benchmark with status 2, saying why on standard error after the program's name.
[[noreturn]] void Fallisci(const QString& cosa);

// A template for a QTemporaryDir in memory (/dev/shm) where there is such a folder, else in the
// temporary folder. On a disk, the flush of every commit and of every file written whole takes
// up to milliseconds, varies with the machine's load, and would hide the work measured.
QString CartellaInMemoria(const QString& prefisso);

// The engines to measure: SQLite always, PostgreSQL when the ODBC data source "Zentar" exists.
std::vector<Motore> MotoriDisponibili();

// Zentar's data module on the engine; Zentar.db lives in `cartella`. Exits the benchmark when
// the database cannot be opened.
std::unique_ptr<TDMDatabase> ApriZentar(Motore motore, const QString& cartella, const StatoTerminale& stato);

// `totale` punches, `perGiorno` per terminal and day, the terminals 1..`terminali` taking turns
// on each day from `primoGiorno` on. Each (terminal, day) numbers its punches from 1.
struct Giornate {
    int totale = 0;
    int perGiorno = 2000;
    int terminali = 4;
    QDate primoGiorno{2020, 1, 1};
};

// Makes Zentar's schema on the engine (Zentar.db in `cartella` for SQLite), empties its tables
// and writes the punches of every block, in one transaction.
void RiempiArchivio(Motore motore, const QString& cartella,
                    std::initializer_list<Giornate> blocchi);

// Registers terminal `codice` with the punch layout of the simulated terminals (time at 0 for 6
// characters, direction at 6, badge at 7 for 8).
void RegistraTerminale(TDMDatabase& database, int codice);

// One line of a punch file in that layout.
QByteArray RigaPunzonatura(int n);

}  // namespace zentar::bench
