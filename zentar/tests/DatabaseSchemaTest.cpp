#include <QSqlError>
#include <QSqlIndex>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlTableModel>

#include "DatabaseFixture.h"
#include "Errors.h"

using namespace zentar;

namespace {

QStringList fieldNames(const QSqlRecord& record)
{
    QStringList names;
    for (int i = 0; i < record.count(); ++i)
        names << record.fieldName(i);
    return names;
}

// The names of the indexes of a table, from the engine's catalogue.
QStringList indexNames(const QSqlDatabase& db, const QString& table)
{
    QSqlQuery query(db);
    query.prepare(db.driverName() == QLatin1String("QSQLITE")
                      ? QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = ?")
                      : QStringLiteral("SELECT indexname FROM pg_indexes WHERE tablename = ?"));
    query.addBindValue(table);
    EXPECT_TRUE(query.exec()) << query.lastError().text().toStdString();
    QStringList names;
    while (query.next())
        names << query.value(0).toString();
    return names;
}

}  // namespace

class ON_ENGINE(Schema) : public DatabaseTest {};

TEST_F(ON_ENGINE(Schema), TablesHaveTheirColumnsInOrderWithTheirLetterCase)
{
    const QStringList rilevatori = {
        "Codice", "Descrizione", "Presenze", "Accessi", "Mensa", "IndSlvTermPresenze", "IndSlvTermAccessi",
        "IndSlvTermPresenzeSempreE", "IndSlvTermPresenzeSempreU", "Pos_Causale", "Len_Causale", "Pos_Cartellino",
        "Len_Cartellino", "Pos_Ora", "Len_Ora", "Pos_CodSelvo", "Len_CodSelvo", "Pos_Verso", "RecLen", "Messaggi",
        "CodicePlexon", "Pos_CartellinoFenwar", "Len_CodiceAccessi", "Len_PINAccessi", "AbilitaPINAccessi",
        "ModoAccessi", "CodiceComuneFenwar", "Memorizzazione", "ControlloAccessi", "Portacom", "Baudrate", "Parita",
        "Modalita_col", "Modello", "Indiriz_lanbrick", "ConversioneRF", "Indirizzo", "Dir", "IndSlvPresenteNelPre",
        "Modem", "Telefono", "Modem_wait", "Modem_init", "IPMaster", "Age", "PercorsoPRE"};
    EXPECT_EQ(fieldNames(db->tblRilevatori()->record()), rilevatori);
    EXPECT_EQ(fieldNames(db->tblFile()->record()), QStringList({"ID", "Terminale", "Data", "NomeFile", "Blob"}));
    EXPECT_EQ(fieldNames(db->tblTimbrature()->record()),
              QStringList({"ID", "Terminale", "Data", "Badge", "Verso", "Ora"}));
}

TEST_F(ON_ENGINE(Schema), CodiceIsThePrimaryKey)
{
    EXPECT_EQ(fieldNames(db->tblRilevatori()->primaryKey()), QStringList{"Codice"});
    addTerminal(1, "primo");
    ASSERT_TRUE(db->tblRilevatori()->insertRecord(-1, terminalRow({{"Codice", 1}})));
    EXPECT_THROW(db->ApplicaRilevatori(), DatabaseError);
}

TEST_F(ON_ENGINE(Schema), ReopeningKeepsTheRowsAndCreatesNothingTwice)
{
    addTerminal(4, "quarto");
    db->InserisciTimbratura({.ID = 1, .Terminale = 4, .Data = "31/12/2015", .Badge = "1", .Verso = 1, .Ora = "08.00.00"});
    reopen();
    EXPECT_EQ(db->LeggiDescrizione(4), "quarto");
    EXPECT_EQ(db->TimbratureDelGiorno(4, "31/12/2015").size(), 1u);
}

TEST_F(ON_ENGINE(Schema), ColumnsGiveBackWhatWasStored)
{
    ASSERT_TRUE(db->tblRilevatori()->insertRecord(
        -1, terminalRow({{"Codice", 9}, {"Modem", true}, {"Presenze", false}, {"Portacom", 8499}, {"Age", 3},
                         {"Indiriz_lanbrick", "192.168.1.50"}, {"Dir", "A"}})));
    db->ApplicaRilevatori();

    const QSqlRecord stored = db->LeggiRilevatore(9);
    EXPECT_TRUE(stored.value("Modem").toBool());
    EXPECT_FALSE(stored.value("Presenze").toBool());
    EXPECT_FALSE(stored.value("Mensa").toBool()) << "a yes/no column left unset is false";
    EXPECT_EQ(stored.value("Portacom").toInt(), 8499);
    EXPECT_EQ(stored.value("Age").toInt(), 3);
    EXPECT_EQ(stored.value("Indiriz_lanbrick").toString(), "192.168.1.50") << "no padding to the column width";
    EXPECT_EQ(stored.value("Dir").toString(), "A");
    EXPECT_EQ(stored.value("Telefono").toString(), "");
}

// Storing a punch (the identical punch, the day's largest ID), exporting a day and a download's
// files look rows up by terminal: each finds its rows through an index, whatever the archive's
// size. A database made by an earlier version gets them when it is opened, in place of its
// index on terminal and day alone.
TEST_F(ON_ENGINE(Schema), LookupsByTerminalHaveTheirIndexesAlsoOnAnOlderDatabase)
{
    const struct {
        const char* table;
        const char* index;
    } cases[] = {{"timbrature", "timbrature_giorno_id"}, {"timbrature", "timbrature_giorno_ora"}, {"file", "file_terminale"}};
    for (const auto& c : cases)
        EXPECT_TRUE(indexNames(db->dbZentar(), c.table).contains(c.index)) << c.index << " after creation";

    {
        QSqlQuery older(db->dbZentar());
        for (const auto& c : cases)
            ASSERT_TRUE(older.exec(QStringLiteral("DROP INDEX %1").arg(QLatin1String(c.index))));
        ASSERT_TRUE(older.exec(QStringLiteral(R"(CREATE INDEX timbrature_terminale_data ON timbrature ("Terminale", "Data"))")));
    }
    reopen();
    for (const auto& c : cases)
        EXPECT_TRUE(indexNames(db->dbZentar(), c.table).contains(c.index)) << c.index << " made at opening";
    EXPECT_FALSE(indexNames(db->dbZentar(), "timbrature").contains("timbrature_terminale_data"));
}
