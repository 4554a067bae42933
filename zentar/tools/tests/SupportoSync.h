#pragma once
// What the tests of zentar-sync put on the simulated terminals and read back from Zentar's
// data source: punch days of known content, written as a terminal's files, and the rows of
// `file` and `timbrature` read with plain SQL on the SQLite file.

#include <initializer_list>
#include <utility>
#include <vector>

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QVariant>

#include "DMDatabase.h"
#include "RilevatoriDemo.h"
#include "SupportoE2E.h"

struct TimbraturaDiProva {
    QTime ora;
    int verso = 0;
    QString badge;  // 8 digits
};

// One punch file of a terminal, in the layout of the registered terminals: hhmmss, the
// direction digit, the badge and the terminal's number in two digits.
struct GiornoDiProva {
    QDate data;
    int numero = 0;  // the terminal's number at the end of each line
    std::vector<TimbraturaDiProva> timbrature;
    QStringList altreRighe;  // lines after the punches, as they are

    QString nome() const;   // PREymmdd
    QString testo() const;  // dd/mm/yyyy
    QStringList righe() const;
    // The lines each ended by CR LF: the file as downloaded, and the text its `file` row holds.
    QByteArray contenuto() const;
    // The punches as stored, each "badge direction hh.mm.ss" (see TimbratureSalvate).
    QStringList attese() const;
};

// `quanti` consecutive days, the last `ultimoIndietro` days before today; the i-th (0 the
// oldest) holds 2 + i punches of the terminal `numero`, their badges and seconds made from
// `codice` so that no two terminals share a punch.
std::vector<GiornoDiProva> GiorniDiProva(int codice, int numero, int quanti, int ultimoIndietro = 0);

// Writes the days into `cartella` (made when missing) as the files of a terminal's drive A,
// for kavex-sim --files.
bool ScriviGiorni(const QString& cartella, const std::vector<GiornoDiProva>& giorni);

// The dates dd/mm/yyyy of the days, in their order.
QStringList TestiDelleDate(const std::vector<GiornoDiProva>& giorni);

// The punches stored for the terminal on the day dd/mm/yyyy in the SQLite file, in ID order.
QStringList TimbratureSalvate(const QString& database, int terminale, const QString& data);
// The terminal's rows of `file`, in ID order.
std::vector<zentar::RigaFile> FileSalvati(const QString& database, int terminale);
// What is stored twice: an ID given twice to punches of one terminal and day, and a punch
// (terminal, day, badge, direction and time) stored twice. Empty when nothing is.
QStringList Doppioni(const QString& database);

// A copy of the registered terminal `base` with another code and description and the columns
// `cambi` set; every other column stays.
zentar::RilevatoreDemo Variante(const zentar::RilevatoreDemo& base, int codice, const QString& descrizione,
                                std::initializer_list<std::pair<QString, QVariant>> cambi = {});

// The demo's modem terminal registered as a terminal on a direct line at `porta`.
zentar::RilevatoreDemo RilevatoreSullaLinea(int codice, const QString& descrizione, int porta);

// zentar-sync's summary of a run: the last line of its standard output, empty when none.
QString RiepilogoDi(const Esito& esito);

// The log lines of a download about the terminals' days, with their indented detail lines.
QStringList RegistroConDettagli(const Esito& esito);

// The log line of a day stored, and of a day not imported because the step `passo` failed.
QString RigaMemorizzato(int codice, const GiornoDiProva& giorno);
QString RigaNonImportato(int codice, const GiornoDiProva& giorno, const char* passo);
