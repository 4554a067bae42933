#pragma once
// The data module: the connection "Zentar", the table objects on rilevatori, file and
// timbrature, and every statement the application sends. All SQL of Zentar lives here, written
// once with bound parameters for SQLite and PostgreSQL alike.
//
// A statement or write that the engine refuses throws DatabaseError with the engine's message.

#include <map>
#include <memory>
#include <optional>
#include <vector>

#include <QObject>
#include <QSqlDatabase>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "DataSource.h"
#include "TerminalState.h"

class QSqlQuery;
class QSqlTableModel;

namespace zentar {

struct OpzioniDatabase {
    QString cartellaProgramma;  // where Zentar.db lives when no ODBC data source is defined
    MotoreDatabase motore = MotoreDatabase::Automatico;
};

// One row of timbrature.
struct RigaTimbratura {
    int ID = 0;
    int Terminale = 0;
    QString Data;  // dd/mm/yyyy
    QString Badge;
    int Verso = 0;
    QString Ora;  // hh.mm.ss
};

// One row of file.
struct RigaFile {
    int ID = 0;
    int Terminale = 0;
    QString Data;  // dd/mm/yyyy
    QString NomeFile;
    QString Blob;  // the whole text, lines separated by CR LF
};

class TDMDatabase : public QObject {
    Q_OBJECT

public:
    // Opens the connection and the tables, creating what is missing. On failure the result is
    // null and `errore` holds the engine's message. The identifier queries read
    // `stato.CodiceTerminale`, so `stato` must outlive the data module.
    static std::unique_ptr<TDMDatabase> Apri(const StatoTerminale& stato, const OpzioniDatabase& opzioni,
                                             QString* errore);
    ~TDMDatabase() override;

    TDMDatabase(const TDMDatabase&) = delete;
    TDMDatabase& operator=(const TDMDatabase&) = delete;

    QSqlDatabase dbZentar() const;

    // The register of terminals, rows in Codice order, changes cached until applied.
    QSqlTableModel* tblRilevatori() const { return tblRilevatori_.get(); }
    // The downloaded files and the punches. Rows are written by InserisciFile and
    // InserisciTimbratura; the models are read again when asked for after a write, so ask for
    // them each time rather than keeping the pointer.
    QSqlTableModel* tblFile();
    QSqlTableModel* tblTimbrature();

    // The current row of tblRilevatori: the row the register's windows show and edit. Browsing
    // moves it; what is done for the selected terminal reads its own row instead (below).
    // -1 when there is none.
    int RigaCorrente() const { return rigaCorrente_; }
    void ImpostaRigaCorrente(int riga);
    // Makes the row of the terminal current; false (current row unchanged) when there is none.
    bool VaiAlRilevatore(int codice);
    // A column of the current row as the table object holds it (pending changes included);
    // no value when there is no current row.
    QVariant CampoCorrente(const QString& colonna) const;
    // A column of the terminal's row as the table object holds it, sending no statement; no
    // value when there is no such row.
    QVariant CampoRilevatore(int codice, const QString& colonna);
    // The same for the selected terminal (CodiceTerminale).
    QVariant CampoSelezionato(const QString& colonna);
    // Whether a terminal is selected and has its row.
    bool RilevatoreSelezionato();
    // Writes a column of the selected terminal's row and applies the cached changes at once;
    // the current row stays where it was.
    void ScriviCampoSelezionato(const QString& colonna, const QVariant& valore);
    // Applies or cancels the cached changes of tblRilevatori; the current row follows its terminal.
    void ApplicaRilevatori();
    void AnnullaRilevatori();

    // Every column of the terminal's row; a record of empty values when there is no such row.
    QSqlRecord LeggiRilevatore(int codice);
    // The terminal's row as tblRilevatori last read it, sending no statement: what is left to
    // go by when the database no longer answers. A record of empty values when there is no
    // such row.
    QSqlRecord RilevatoreLetto(int codice) const;
    // The terminal's Descrizione; the empty text when there is no such row.
    QString LeggiDescrizione(int codice);
    // The largest Codice of rilevatori, 0 for an empty table.
    int ProssimoCodice();
    // The largest file.ID of the selected terminal, 0 when it has no file.
    int ProssimoIDFile();
    // The largest timbrature.ID of the selected terminal on the date dd/mm/yyyy, 0 for none.
    int ProssimoIDTimbratura(const QString& data);

    // Deletes the punches equal to `timbratura` in Terminale, Badge, Data, Verso and Ora
    // (its ID is not looked at). Values are matched exactly, never as patterns.
    void EliminaTimbraturaUguale(const RigaTimbratura& timbratura);
    // The number of rows of file.
    int ContaFile();
    // Writes one row, applied at once.
    void InserisciFile(const RigaFile& file);
    void InserisciTimbratura(const RigaTimbratura& timbratura);
    // The names of the files of a terminal that have a row in file.
    QStringList NomiFileMemorizzati(int terminale);
    // The text of the terminal's latest stored row of the file `nome`; nothing when none.
    std::optional<QString> TestoUltimoFile(int terminale, const QString& nome);
    // The punches of a terminal on the date dd/mm/yyyy, in the order they were stored.
    std::vector<RigaTimbratura> TimbratureDelGiorno(int terminale, const QString& data);

signals:
    void rigaCorrenteCambiata(int riga);

private:
    explicit TDMDatabase(const StatoTerminale& stato);
    std::optional<QString> apriTabelle();
    void seleziona(QSqlTableModel& tabella);
    QSqlQuery& esegui(const QString& statement, const QVariantList& valori);
    QSqlQuery& preparata(const QString& statement);
    [[noreturn]] void rifiutato(const QSqlQuery& query);
    void verificaConnessione();
    std::vector<QSqlRecord> righeRilevatori() const;
    int leggiMassimo(const QString& statement, const QVariantList& valori, const QString& colonna);
    // The row of the terminal in tblRilevatori, -1 for none: after fetching every row, or
    // among the rows already read.
    int rigaDelRilevatore(int codice);
    int rigaLetta(int codice) const;
    void scriviCampo(int riga, const QString& colonna, const QVariant& valore);

    const StatoTerminale& stato_;
    bool connessioneAperta_ = false;
    // Set when the engine refused a statement: the next statement first checks that the
    // connection still answers, and opens it afresh when it does not (a database server stopped
    // and started again), so that one lost connection does not fail every later statement.
    bool connessioneDaVerificare_ = false;
    // The rows of tblRilevatori as they were when the connection was found lost, until it is
    // open again.
    std::optional<std::vector<QSqlRecord>> rilevatoriLetti_;
    // Every statement of the data module, each prepared once on its first use and run again
    // with new values: preparing costs as much as running for the statements of each punch.
    std::map<QString, std::unique_ptr<QSqlQuery>> qryTakeDati_;
    std::unique_ptr<QSqlTableModel> tblRilevatori_;
    std::unique_ptr<QSqlTableModel> tblFile_;
    std::unique_ptr<QSqlTableModel> tblTimbrature_;
    bool fileDaRileggere_ = true;
    bool timbratureDaRileggere_ = true;
    int rigaCorrente_ = -1;
};

}  // namespace zentar
