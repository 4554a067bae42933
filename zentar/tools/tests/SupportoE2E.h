#pragma once
// Running the real programs from a test: a program run to its end with its output kept, or a
// device simulator kept running while the test talks to it. Every child sees no ODBC data
// source (ODBCINI and ODBCSYSINI name empty files of the test), so Zentar and its tools open
// Zentar.db in the program folder whatever this machine defines; the test process itself is
// set up the same way, so that what it opens is what they open.

#include <chrono>
#include <functional>
#include <string>

#include <QByteArray>
#include <QProcess>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

#include "DMDatabase.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

struct Esito {
    bool finito = false;  // false: still running when the time was up, and killed
    QProcess::ExitStatus stato = QProcess::NormalExit;
    int codice = -1;
    QString uscita;  // standard output
    QString errori;  // standard error
};

// The exit code, whether the program was killed, and its standard output and error: what a
// failure message shows of a run.
std::string Racconta(const Esito& esito);

// The lines of a program's output, empty ones left out.
QStringList Righe(const QString& testo);

// The whole file, empty when it cannot be read.
QByteArray ContenutoDelFile(const QString& file);

// Runs `programma` to its end in `cartella` (the current folder when empty).
Esito Esegui(const QString& programma, const QStringList& argomenti, const QString& cartella = {},
             std::chrono::milliseconds limite = 30s);

// A program started in the background and ended (SIGTERM, then SIGKILL) when destroyed.
class ProgrammaAvviato {
public:
    ProgrammaAvviato(const QString& programma, const QStringList& argomenti, const QString& cartella = {});
    ~ProgrammaAvviato();

    ProgrammaAvviato(const ProgrammaAvviato&) = delete;
    ProgrammaAvviato& operator=(const ProgrammaAvviato&) = delete;

    bool inEsecuzione() const { return processo_.state() == QProcess::Running; }
    // The first line of standard output, without its end; empty when none came in time.
    QString primaRiga(std::chrono::milliseconds limite = 20s);
    // Sends SIGTERM; whether the program ended within `limite`.
    bool termina(std::chrono::milliseconds limite = 10s);
    QString errori() { return QString::fromLocal8Bit(processo_.readAllStandardError()); }
    // Waits for the program's end, killing it when `limite` passes first; what it wrote since
    // it started, less what primaRiga and errori took.
    Esito attendiFine(std::chrono::milliseconds limite);
    // Whether the program has ended, waiting up to `limite` for it; it is left running otherwise.
    bool finitoEntro(std::chrono::milliseconds limite);
    // SIGKILL: the program ends without a chance to clean up, as in a crash.
    void uccidi();

private:
    QProcess processo_;
};

// Once per process: the application object Qt SQL and QProcess want, the empty ODBC
// configuration and the offscreen display, for the test process and its children.
void AmbienteDiProva();

// Polls `condizione` every 100 ms until it holds or `limite` has passed; whether it held.
bool AttendiFinche(const std::function<bool()>& condizione, std::chrono::milliseconds limite);

// Runs `lavoro` on the SQLite file through a connection of the test's own, closed afterwards.
void SuFileSQLite(const QString& file, const std::function<void(QSqlDatabase& db)>& lavoro);

// The data module on the program folder of `stato`, opened as the program opens it; null, with
// the engine's message in `errore`, when it cannot be opened.
std::unique_ptr<zentar::TDMDatabase> ApriDatabase(const zentar::StatoTerminale& stato, QString* errore);

// The engine's message about a program folder whose database cannot be opened; a failure of
// the test when it opens.
QString MessaggioDelMotore(const QString& cartella);
