#include "DMDatabase.h"

#include <algorithm>

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlTableModel>

#include "Errors.h"
#include "Schema.h"

namespace zentar {

namespace {

const QString kColonnaCodice = QStringLiteral("Codice");

std::unique_ptr<QSqlTableModel> cachedTable(const QSqlDatabase& db, const QString& table)
{
    auto model = std::make_unique<QSqlTableModel>(nullptr, db);
    model->setTable(table);
    model->setEditStrategy(QSqlTableModel::OnManualSubmit);
    return model;
}

void fetchAll(QSqlTableModel& model)
{
    while (model.canFetchMore())
        model.fetchMore();
}

}  // namespace

std::unique_ptr<TDMDatabase> TDMDatabase::Apri(const StatoTerminale& stato, const OpzioniDatabase& opzioni,
                                               QString* errore)
{
    if (const std::optional<QString> failure = ApriConnessione(opzioni.motore, opzioni.cartellaProgramma)) {
        if (errore)
            *errore = *failure;
        return nullptr;
    }
    std::unique_ptr<TDMDatabase> module(new TDMDatabase(stato));
    if (const std::optional<QString> failure = module->apriTabelle()) {
        if (errore)
            *errore = *failure;
        return nullptr;
    }
    return module;
}

TDMDatabase::TDMDatabase(const StatoTerminale& stato) : stato_(stato), connessioneAperta_(true) {}

TDMDatabase::~TDMDatabase()
{
    qryTakeDati_.clear();
    tblRilevatori_.reset();
    tblFile_.reset();
    tblTimbrature_.reset();
    if (connessioneAperta_)
        ChiudiConnessione();
}

std::optional<QString> TDMDatabase::apriTabelle()
{
    QSqlDatabase db = dbZentar();
    try {
        CreaTabelleMancanti(db);
        tblRilevatori_ = cachedTable(db, QStringLiteral("rilevatori"));
        tblRilevatori_->setSort(tblRilevatori_->fieldIndex(kColonnaCodice), Qt::AscendingOrder);
        seleziona(*tblRilevatori_);
        tblFile_ = cachedTable(db, QStringLiteral("file"));
        tblTimbrature_ = cachedTable(db, QStringLiteral("timbrature"));
    } catch (const DatabaseError& error) {
        return QString::fromStdString(error.what());
    }
    return std::nullopt;
}

QSqlDatabase TDMDatabase::dbZentar() const { return QSqlDatabase::database(kNomeConnessione, false); }

void TDMDatabase::seleziona(QSqlTableModel& tabella)
{
    if (!tabella.select())
        throw DatabaseError(tabella.lastError().text());
}

QSqlTableModel* TDMDatabase::tblFile()
{
    if (fileDaRileggere_) {
        seleziona(*tblFile_);
        fileDaRileggere_ = false;
    }
    return tblFile_.get();
}

QSqlTableModel* TDMDatabase::tblTimbrature()
{
    if (timbratureDaRileggere_) {
        seleziona(*tblTimbrature_);
        timbratureDaRileggere_ = false;
    }
    return tblTimbrature_.get();
}

// ---- current row of tblRilevatori ----

void TDMDatabase::ImpostaRigaCorrente(int riga)
{
    rigaCorrente_ = riga >= 0 && riga < tblRilevatori_->rowCount() ? riga : -1;
    emit rigaCorrenteCambiata(rigaCorrente_);
}

int TDMDatabase::rigaDelRilevatore(int codice)
{
    fetchAll(*tblRilevatori_);
    return rigaLetta(codice);
}

int TDMDatabase::rigaLetta(int codice) const
{
    const int column = tblRilevatori_->fieldIndex(kColonnaCodice);
    for (int row = 0; row < tblRilevatori_->rowCount(); ++row) {
        const QVariant value = tblRilevatori_->data(tblRilevatori_->index(row, column));
        if (!value.isNull() && value.toInt() == codice)
            return row;
    }
    return -1;
}

bool TDMDatabase::VaiAlRilevatore(int codice)
{
    const int row = rigaDelRilevatore(codice);
    if (row < 0)
        return false;
    ImpostaRigaCorrente(row);
    return true;
}

QVariant TDMDatabase::CampoCorrente(const QString& colonna) const
{
    if (rigaCorrente_ < 0)
        return {};
    if (rilevatoriLetti_)
        return rigaCorrente_ < static_cast<int>(rilevatoriLetti_->size()) ? (*rilevatoriLetti_)[rigaCorrente_].value(colonna)
                                                                          : QVariant();
    return tblRilevatori_->data(tblRilevatori_->index(rigaCorrente_, tblRilevatori_->fieldIndex(colonna)));
}

QVariant TDMDatabase::CampoRilevatore(int codice, const QString& colonna)
{
    if (rilevatoriLetti_)
        return RilevatoreLetto(codice).value(colonna);
    int riga = rigaLetta(codice);
    if (riga < 0 && tblRilevatori_->canFetchMore())
        riga = rigaDelRilevatore(codice);
    return riga < 0 ? QVariant() : tblRilevatori_->data(tblRilevatori_->index(riga, tblRilevatori_->fieldIndex(colonna)));
}

QVariant TDMDatabase::CampoSelezionato(const QString& colonna)
{
    return CampoRilevatore(stato_.CodiceTerminale, colonna);
}

bool TDMDatabase::RilevatoreSelezionato()
{
    if (stato_.CodiceTerminale == 0)
        return false;
    if (rilevatoriLetti_)
        return !RilevatoreLetto(stato_.CodiceTerminale).value(kColonnaCodice).isNull();
    return rigaLetta(stato_.CodiceTerminale) >= 0 || rigaDelRilevatore(stato_.CodiceTerminale) >= 0;
}

void TDMDatabase::ScriviCampoSelezionato(const QString& colonna, const QVariant& valore)
{
    const int riga = rigaDelRilevatore(stato_.CodiceTerminale);
    if (riga < 0)
        throw DatabaseError(QStringLiteral("Nessun rilevatore selezionato"));
    scriviCampo(riga, colonna, valore);
}

void TDMDatabase::scriviCampo(int riga, const QString& colonna, const QVariant& valore)
{
    const QModelIndex cell = tblRilevatori_->index(riga, tblRilevatori_->fieldIndex(colonna));
    if (!tblRilevatori_->setData(cell, valore))
        throw DatabaseError(QStringLiteral("Colonna \"%1\" non scrivibile").arg(colonna));
    ApplicaRilevatori();
}

void TDMDatabase::ApplicaRilevatori()
{
    const QVariant codice = CampoCorrente(kColonnaCodice);
    if (!tblRilevatori_->submitAll())
        throw DatabaseError(tblRilevatori_->lastError().text());
    ImpostaRigaCorrente(codice.isNull() ? -1 : rigaDelRilevatore(codice.toInt()));
}

void TDMDatabase::AnnullaRilevatori()
{
    const int rigaPrima = rigaCorrente_;
    const QVariant codice = CampoCorrente(kColonnaCodice);
    tblRilevatori_->revertAll();
    const int riga = codice.isNull() ? -1 : rigaDelRilevatore(codice.toInt());
    // A cancelled new row is gone: stay near where it was.
    ImpostaRigaCorrente(riga >= 0 ? riga : std::min(rigaPrima, tblRilevatori_->rowCount() - 1));
}

// ---- statements ----

QSqlQuery& TDMDatabase::preparata(const QString& statement)
{
    std::unique_ptr<QSqlQuery>& query = qryTakeDati_[statement];
    if (!query) {
        auto nuova = std::make_unique<QSqlQuery>(dbZentar());
        nuova->setForwardOnly(true);
        if (!nuova->prepare(statement)) {
            qryTakeDati_.erase(statement);
            rifiutato(*nuova);
        }
        query = std::move(nuova);
    }
    query->finish();
    return *query;
}

void TDMDatabase::rifiutato(const QSqlQuery& query)
{
    connessioneDaVerificare_ = true;
    throw DatabaseError(query.lastError().text());
}

void TDMDatabase::verificaConnessione()
{
    QSqlDatabase db = dbZentar();
    {
        QSqlQuery prova(db);
        if (db.isOpen() && prova.exec(QStringLiteral("SELECT 1"))) {
            connessioneDaVerificare_ = false;
            return;
        }
    }
    // The table object reads its rows through the connection: they are kept aside before it
    // closes, for the current row's fields and RilevatoreLetto until it opens again.
    if (!rilevatoriLetti_)
        rilevatoriLetti_ = righeRilevatori();
    // The prepared statements belong to the lost connection.
    qryTakeDati_.clear();
    db.close();
    if (!db.open())
        throw DatabaseError(db.lastError().text());
    fileDaRileggere_ = true;
    timbratureDaRileggere_ = true;
    const QVariant codice = CampoCorrente(kColonnaCodice);
    rilevatoriLetti_.reset();
    seleziona(*tblRilevatori_);
    ImpostaRigaCorrente(codice.isNull() ? -1 : rigaDelRilevatore(codice.toInt()));
    connessioneDaVerificare_ = false;
}

std::vector<QSqlRecord> TDMDatabase::righeRilevatori() const
{
    std::vector<QSqlRecord> righe;
    for (int row = 0; row < tblRilevatori_->rowCount(); ++row)
        righe.push_back(tblRilevatori_->record(row));
    return righe;
}

QSqlQuery& TDMDatabase::esegui(const QString& statement, const QVariantList& valori)
{
    if (connessioneDaVerificare_)
        verificaConnessione();
    QSqlQuery& query = preparata(statement);
    for (int i = 0; i < valori.size(); ++i)
        query.bindValue(i, valori[i]);
    if (!query.exec())
        rifiutato(query);
    return query;
}

namespace {

// Ends a read once its rows are taken: an open SELECT would keep SQLite's read lock while the
// program waits on a terminal, and other programs on the same file could not write.
class LetturaFinita {
public:
    explicit LetturaFinita(QSqlQuery& query) : query_(query) {}
    ~LetturaFinita() { query_.finish(); }
    LetturaFinita(const LetturaFinita&) = delete;
    LetturaFinita& operator=(const LetturaFinita&) = delete;

private:
    QSqlQuery& query_;
};

}  // namespace

// A maximum over no rows has no value, read as 0.
int TDMDatabase::leggiMassimo(const QString& statement, const QVariantList& valori, const QString& colonna)
{
    QSqlQuery& query = esegui(statement, valori);
    const LetturaFinita finita(query);
    return query.next() ? query.value(colonna).toInt() : 0;
}

QSqlRecord TDMDatabase::LeggiRilevatore(int codice)
{
    QSqlQuery& query = esegui(QStringLiteral(R"(SELECT * FROM rilevatori WHERE "Codice" = ?)"), {codice});
    const LetturaFinita finita(query);
    query.next();
    return query.record();
}

QSqlRecord TDMDatabase::RilevatoreLetto(int codice) const
{
    const auto delRilevatore = [codice](const QSqlRecord& r) {
        const QVariant value = r.value(kColonnaCodice);
        return !value.isNull() && value.toInt() == codice;
    };
    if (rilevatoriLetti_) {
        const auto trovato = std::find_if(rilevatoriLetti_->begin(), rilevatoriLetti_->end(), delRilevatore);
        if (trovato != rilevatoriLetti_->end())
            return *trovato;
    } else if (const int riga = rigaLetta(codice); riga >= 0) {
        return tblRilevatori_->record(riga);
    }
    QSqlRecord vuoto = tblRilevatori_->record();
    vuoto.clearValues();
    return vuoto;
}

QString TDMDatabase::LeggiDescrizione(int codice)
{
    QSqlQuery& query = esegui(QStringLiteral(R"(SELECT "Descrizione" FROM rilevatori WHERE "Codice" = ?)"), {codice});
    const LetturaFinita finita(query);
    return query.next() ? query.value(QStringLiteral("Descrizione")).toString() : QString();
}

int TDMDatabase::ProssimoCodice()
{
    return leggiMassimo(QStringLiteral(R"(SELECT MAX("Codice") AS "MAX" FROM rilevatori)"), {},
                        QStringLiteral("MAX"));
}

int TDMDatabase::ProssimoIDFile()
{
    return leggiMassimo(QStringLiteral(R"(SELECT MAX("ID") AS "MAX" FROM file WHERE "Terminale" = ?)"),
                        {stato_.CodiceTerminale}, QStringLiteral("MAX"));
}

int TDMDatabase::ProssimoIDTimbratura(const QString& data)
{
    return leggiMassimo(
        QStringLiteral(R"(SELECT MAX("ID") AS "MaxDiID" FROM timbrature WHERE "Data" = ? AND "Terminale" = ?)"),
        {data, stato_.CodiceTerminale}, QStringLiteral("MaxDiID"));
}

void TDMDatabase::EliminaTimbraturaUguale(const RigaTimbratura& t)
{
    esegui(QStringLiteral(R"(DELETE FROM timbrature WHERE "Terminale" = ? AND "Badge" = ? AND "Data" = ?)"
                          R"( AND "Verso" = ? AND "Ora" = ?)"),
           {t.Terminale, t.Badge, t.Data, t.Verso, t.Ora});
    timbratureDaRileggere_ = true;
}

int TDMDatabase::ContaFile()
{
    return leggiMassimo(QStringLiteral(R"(SELECT COUNT(*) AS "N" FROM file)"), {}, QStringLiteral("N"));
}

void TDMDatabase::InserisciFile(const RigaFile& f)
{
    esegui(QStringLiteral(R"(INSERT INTO file ("ID", "Terminale", "Data", "NomeFile", "Blob") VALUES (?, ?, ?, ?, ?))"),
           {f.ID, f.Terminale, f.Data, f.NomeFile, f.Blob});
    fileDaRileggere_ = true;
}

void TDMDatabase::InserisciTimbratura(const RigaTimbratura& t)
{
    esegui(QStringLiteral(R"(INSERT INTO timbrature ("ID", "Terminale", "Data", "Badge", "Verso", "Ora"))"
                          R"( VALUES (?, ?, ?, ?, ?, ?))"),
           {t.ID, t.Terminale, t.Data, t.Badge, t.Verso, t.Ora});
    timbratureDaRileggere_ = true;
}

QStringList TDMDatabase::NomiFileMemorizzati(int terminale)
{
    QSqlQuery& query =
        esegui(QStringLiteral(R"(SELECT DISTINCT "NomeFile" FROM file WHERE "Terminale" = ? ORDER BY "NomeFile")"),
               {terminale});
    const LetturaFinita finita(query);
    QStringList nomi;
    while (query.next())
        nomi << query.value(0).toString();
    return nomi;
}

std::optional<QString> TDMDatabase::TestoUltimoFile(int terminale, const QString& nome)
{
    QSqlQuery& query = esegui(QStringLiteral(R"(SELECT "Blob" FROM file WHERE "Terminale" = ? AND "NomeFile" = ?)"
                                             R"( ORDER BY "ID" DESC)"),
                              {terminale, nome});
    const LetturaFinita finita(query);
    if (!query.next())
        return std::nullopt;
    return query.value(0).toString();
}

std::vector<RigaTimbratura> TDMDatabase::TimbratureDelGiorno(int terminale, const QString& data)
{
    // Within a day every punch gets the largest ID plus one, so ID order is storing order.
    QSqlQuery& query = esegui(QStringLiteral(R"(SELECT "ID", "Terminale", "Data", "Badge", "Verso", "Ora")"
                                             R"( FROM timbrature WHERE "Terminale" = ? AND "Data" = ? ORDER BY "ID")"),
                              {terminale, data});
    const LetturaFinita finita(query);
    std::vector<RigaTimbratura> rows;
    while (query.next()) {
        rows.push_back({.ID = query.value(0).toInt(),
                        .Terminale = query.value(1).toInt(),
                        .Data = query.value(2).toString(),
                        .Badge = query.value(3).toString(),
                        .Verso = query.value(4).toInt(),
                        .Ora = query.value(5).toString()});
    }
    return rows;
}

}  // namespace zentar
