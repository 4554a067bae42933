#include "Schema.h"

#include <span>

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include "Errors.h"

namespace zentar {

namespace {

struct Colonna {
    const char* nome;
    const char* tipo;
};

// Texts are VARCHAR of their width, never CHAR: a fixed-width column would come back padded
// with blanks on PostgreSQL and not on SQLite. Booleans default to false as Jet's yes/no did.
constexpr const char* kTesto20 = "VARCHAR(20)";
constexpr const char* kTesto100 = "VARCHAR(100)";
constexpr const char* kTesto200 = "VARCHAR(200)";
constexpr const char* kBooleano = "BOOLEAN NOT NULL DEFAULT FALSE";
constexpr const char* kIntero = "INTEGER";

constexpr Colonna kRilevatori[] = {
    {.nome = "Codice", .tipo = "INTEGER NOT NULL"},
    {.nome = "Descrizione", .tipo = kTesto200},
    {.nome = "Presenze", .tipo = kBooleano},
    {.nome = "Accessi", .tipo = kBooleano},
    {.nome = "Mensa", .tipo = kBooleano},
    {.nome = "IndSlvTermPresenze", .tipo = kTesto200},
    {.nome = "IndSlvTermAccessi", .tipo = kTesto100},
    {.nome = "IndSlvTermPresenzeSempreE", .tipo = kTesto200},
    {.nome = "IndSlvTermPresenzeSempreU", .tipo = kTesto20},
    {.nome = "Pos_Causale", .tipo = kTesto100},
    {.nome = "Len_Causale", .tipo = kTesto100},
    {.nome = "Pos_Cartellino", .tipo = kTesto100},
    {.nome = "Len_Cartellino", .tipo = kTesto100},
    {.nome = "Pos_Ora", .tipo = kTesto100},
    {.nome = "Len_Ora", .tipo = kTesto100},
    {.nome = "Pos_CodSelvo", .tipo = kTesto100},
    {.nome = "Len_CodSelvo", .tipo = kTesto100},
    {.nome = "Pos_Verso", .tipo = kTesto100},
    {.nome = "RecLen", .tipo = kTesto100},
    {.nome = "Messaggi", .tipo = kBooleano},
    {.nome = "CodicePlexon", .tipo = kTesto100},
    {.nome = "Pos_CartellinoFenwar", .tipo = kTesto100},
    {.nome = "Len_CodiceAccessi", .tipo = kIntero},
    {.nome = "Len_PINAccessi", .tipo = kIntero},
    {.nome = "AbilitaPINAccessi", .tipo = kBooleano},
    {.nome = "ModoAccessi", .tipo = kTesto100},
    {.nome = "CodiceComuneFenwar", .tipo = "VARCHAR(40)"},
    {.nome = "Memorizzazione", .tipo = kIntero},
    {.nome = "ControlloAccessi", .tipo = kBooleano},
    {.nome = "Portacom", .tipo = kIntero},
    {.nome = "Baudrate", .tipo = kIntero},
    {.nome = "Parita", .tipo = kIntero},
    {.nome = "Modalita_col", .tipo = kIntero},
    {.nome = "Modello", .tipo = kIntero},
    {.nome = "Indiriz_lanbrick", .tipo = "VARCHAR(30)"},
    {.nome = "ConversioneRF", .tipo = kBooleano},
    {.nome = "Indirizzo", .tipo = kIntero},
    {.nome = "Dir", .tipo = "VARCHAR(2)"},
    {.nome = "IndSlvPresenteNelPre", .tipo = kBooleano},
    {.nome = "Modem", .tipo = kBooleano},
    {.nome = "Telefono", .tipo = "VARCHAR(60)"},
    {.nome = "Modem_wait", .tipo = kIntero},
    {.nome = "Modem_init", .tipo = "VARCHAR(60)"},
    {.nome = "IPMaster", .tipo = "VARCHAR(30)"},
    {.nome = "Age", .tipo = "SMALLINT"},
    {.nome = "PercorsoPRE", .tipo = kTesto200},
};

constexpr Colonna kFile[] = {
    {.nome = "ID", .tipo = kIntero},
    {.nome = "Terminale", .tipo = kIntero},
    {.nome = "Data", .tipo = kTesto100},
    {.nome = "NomeFile", .tipo = kTesto100},
    {.nome = "Blob", .tipo = "TEXT"},  // the whole file: no width limit on either engine
};

constexpr Colonna kTimbrature[] = {
    {.nome = "ID", .tipo = kIntero},
    {.nome = "Terminale", .tipo = kIntero},
    {.nome = "Data", .tipo = kTesto100},  // dd/mm/yyyy, matched as text
    {.nome = "Badge", .tipo = "VARCHAR(255)"},
    {.nome = "Verso", .tipo = kIntero},
    {.nome = "Ora", .tipo = "VARCHAR(255)"},
};

QString createTable(const char* table, std::span<const Colonna> colonne, const QString& constraints)
{
    QStringList parts;
    for (const Colonna& c : colonne)
        parts << QStringLiteral("\"%1\" %2").arg(QLatin1String(c.nome), QLatin1String(c.tipo));
    if (!constraints.isEmpty())
        parts << constraints;
    return QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2)").arg(QLatin1String(table), parts.join(QStringLiteral(", ")));
}

void execute(QSqlDatabase& db, const QString& statement)
{
    QSqlQuery query(db);
    if (!query.exec(statement))
        throw DatabaseError(query.lastError().text());
}

}  // namespace

TipoColonna TipoColonnaRilevatori(const QString& nome)
{
    for (const Colonna& c : kRilevatori) {
        if (nome.compare(QLatin1String(c.nome), Qt::CaseInsensitive) != 0)
            continue;
        const QString tipo = QString::fromLatin1(c.tipo);
        if (tipo == QLatin1String(kBooleano))
            return TipoColonna::Booleano;
        if (tipo.startsWith(QLatin1String("VARCHAR")))
            return TipoColonna::Testo;
        return TipoColonna::Intero;
    }
    return TipoColonna::Sconosciuta;
}

void CreaTabelleMancanti(QSqlDatabase& db)
{
    execute(db, createTable("rilevatori", kRilevatori, QStringLiteral(R"(CONSTRAINT "PrimaryKey" PRIMARY KEY ("Codice"))")));
    execute(db, createTable("file", kFile, {}));
    execute(db, createTable("timbrature", kTimbrature, {}));
    // The statements run for every punch find their row in one step, whatever the archive's
    // and the day's size: the largest ID of a terminal's day (also the day's rows in storing
    // order, for the export), and the punch identical to the one being stored.
    execute(db, QStringLiteral(R"(CREATE INDEX IF NOT EXISTS timbrature_giorno_id ON timbrature ("Terminale", "Data", "ID"))"));
    execute(db, QStringLiteral(R"(CREATE INDEX IF NOT EXISTS timbrature_giorno_ora ON timbrature ("Terminale", "Data", "Ora", "Badge"))"));
    // The first index of a database made by an earlier version: the two above cover its lookups.
    execute(db, QStringLiteral("DROP INDEX IF EXISTS timbrature_terminale_data"));
    execute(db, QStringLiteral(R"(CREATE INDEX IF NOT EXISTS file_terminale ON file ("Terminale"))"));
}

}  // namespace zentar
