#include <QSqlIndex>
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
