#pragma once
// Downloading one punch file of the selected terminal and storing it: the file itself in the
// terminal's destination folder, one row with its whole text in `file`, and one row per punch
// in `timbrature`, each line cut by the terminal's layout. Deleting a file on the terminal.

#include <cstdint>
#include <optional>

#include <QString>
#include <QStringList>

#include "Clock.h"
#include "DMDatabase.h"
#include "DialogService.h"
#include "LibreriaKavex.h"
#include "TerminalState.h"
#include "Tracciato.h"

namespace zentar {

// The lines of a text, each ended by CR LF, LF or a lone CR; an end after the last line makes
// no empty line of its own.
QStringList RigheDelTesto(const QByteArray& testo);

class ScaricoPRE {
public:
    ScaricoPRE(TDMDatabase& database, const StatoTerminale& stato, LibreriaKavex& kavex, DialogService& dialoghi,
               FonteTracciato& tracciato, const Clock& orologio = systemClock());

    // Where the file lands: CartellaPRE and the name.
    QString PercorsoLocale(const QString& nome) const;

    // RecvFile of the terminal file into `percorso`: up to three attempts, each after a pause
    // of one second. True at the first result of 0 or more; `risultato` gets the last result.
    bool RiceviFile(const QString& nome, const QString& percorso, int32_t* risultato = nullptr);

    // Downloads and stores one file, saying in a message box which step failed.
    bool ScaricaPRE(const QString& nome);

    // The downloaded file's text as `file` stores it: its lines, each ended by CR LF; nothing
    // when the file cannot be read.
    std::optional<QString> TestoDelFile(const QString& nome) const;

    // Stores the downloaded file's text as a new row of `file`.
    bool SalvaFile(const QString& nome);

    // Stores every line of the downloaded file as a punch, replacing an identical punch already
    // stored. False at the first line without a badge or a valid time (or a direction that is
    // not a digit, or a layout that is not a number) and when no terminal is selected; the
    // punches stored before that line stay.
    bool SalvaTimbrature(const QString& nome);

    // Deletes the file on the terminal.
    bool EliminaFilePRE(const QString& nome);

    static constexpr int kTentativi = 3;
    static constexpr int kPausaMs = 1000;

private:
    TDMDatabase& database_;
    const StatoTerminale& stato_;
    LibreriaKavex& kavex_;
    DialogService& dialoghi_;
    FonteTracciato& tracciato_;
    const Clock& orologio_;
};

}  // namespace zentar
