// Whether a day stored by an earlier download is stored in full, on the rows its storing
// leaves: the `file` row of its text and the punches of timbrature.
#include <QSqlTableModel>

#include "DatabaseFixture.h"
#include "GiornoMemorizzato.h"
#include "TracciatoRilevatore.h"

using namespace zentar;

namespace {

constexpr int kTerminale = 3;
const QString kNome = QStringLiteral("PRE51231");
const QString kData = QStringLiteral("31/12/2015");

// A punch line of the terminal's layout and the row SalvaTimbrature makes of it.
struct Punzonatura {
    const char* riga;
    RigaTimbratura salvata;
};
const Punzonatura kPrima{"081530000001234", {0, kTerminale, kData, "00001234", 0, "08.15.30"}};
const Punzonatura kSeconda{"170000100001234", {0, kTerminale, kData, "00001234", 1, "17.00.00"}};

QString testo(std::initializer_list<const char*> righe)
{
    QString t;
    for (const char* riga : righe)
        t += QString::fromLatin1(riga) + "\r\n";
    return t;
}

}  // namespace

class ON_ENGINE(GiornoMemorizzato) : public DatabaseTest {
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_TRUE(db->tblRilevatori()->insertRecord(
            -1, terminalRow({{"Codice", kTerminale}, {"Pos_Ora", "0"}, {"Len_Ora", "6"}, {"Pos_Verso", "6"},
                             {"Pos_Cartellino", "7"}, {"Len_Cartellino", "8"}})));
        db->ApplicaRilevatori();
        ASSERT_TRUE(db->VaiAlRilevatore(kTerminale));
        stato->CodiceTerminale = kTerminale;  // the next file ID is the terminal's
        tracciato = std::make_unique<TracciatoRilevatore>(*db, dialogs);
    }

    void svuota()
    {
        for (const RigaTimbratura& r : db->TimbratureDelGiorno(kTerminale, kData))
            db->EliminaTimbraturaUguale(r);
        QSqlTableModel& file = *db->tblFile();
        file.removeRows(0, file.rowCount());
        ASSERT_TRUE(file.submitAll());
    }
    void salvaFile(const QString& testo)
    {
        db->InserisciFile({.ID = db->ProssimoIDFile() + 1, .Terminale = kTerminale, .Data = kData, .NomeFile = kNome, .Blob = testo});
    }
    void salva(RigaTimbratura t)
    {
        t.ID = db->ProssimoIDTimbratura(kData) + 1;
        db->InserisciTimbratura(t);
    }

    std::unique_ptr<TracciatoRilevatore> tracciato;
};

TEST_F(ON_ENGINE(GiornoMemorizzato), OnlyADayWhoseLatestTextHasEveryPunchStoredIsWhole)
{
    const struct {
        const char* caso;
        std::vector<QString> testi;  // the day's `file` rows, oldest first
        std::vector<RigaTimbratura> timbrature;
        bool intero;
    } casi[] = {
        {"no file row", {}, {kPrima.salvata, kSeconda.salvata}, false},
        {"every punch stored", {testo({kPrima.riga, kSeconda.riga})}, {kPrima.salvata, kSeconda.salvata}, true},
        {"stopped before the last punch", {testo({kPrima.riga, kSeconda.riga})}, {kPrima.salvata}, false},
        {"no punch stored", {testo({kPrima.riga, kSeconda.riga})}, {}, false},
        {"a text without lines", {testo({})}, {}, true},
        {"a line that cannot be stored", {testo({kPrima.riga, "", kSeconda.riga})}, {kPrima.salvata, kSeconda.salvata}, false},
        {"one punch twice in the text, stored once", {testo({kPrima.riga, kPrima.riga})}, {kPrima.salvata}, true},
        {"the latest text counts", {testo({kPrima.riga, kSeconda.riga}), testo({kPrima.riga})}, {kPrima.salvata}, true},
        {"the latest text grown", {testo({kPrima.riga}), testo({kPrima.riga, kSeconda.riga})}, {kPrima.salvata}, false},
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.caso);
        svuota();
        for (const QString& t : caso.testi)
            salvaFile(t);
        for (const RigaTimbratura& t : caso.timbrature)
            salva(t);
        EXPECT_EQ(MemorizzatoPerIntero(*db, *tracciato, kTerminale, kNome, kData), caso.intero);
        EXPECT_FALSE(MemorizzatoPerIntero(*db, *tracciato, kTerminale + 1, kNome, kData)) << "another terminal's day";
    }
    EXPECT_TRUE(dialogs.shown.empty());
}
