// The export of stored punches to one file per day: names, lines, order, other terminals left
// out, empty days, and a folder that cannot be written.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "DatabaseFixture.h"
#include "Errors.h"
#include "EsportazioneTimbrature.h"

using namespace zentar;

namespace {

QByteArray contenuto(const QString& percorso)
{
    QFile file(percorso);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

}  // namespace

TEST(DataDelCampo, ReadsTwoDigitYearsAsTwoThousandAndChecksTheCalendar)
{
    const struct {
        const char* campo;
        std::optional<QDate> data;
    } casi[] = {
        {"30/12/19", QDate(2019, 12, 30)}, {"29/02/24", QDate(2024, 2, 29)}, {"29/02/23", std::nullopt},
        {"31/02/24", std::nullopt},        {"00/00/00", std::nullopt},       {"01/13/24", std::nullopt},
        {"01/01/2_", std::nullopt},        {"__/__/__", std::nullopt},       {"31/12/99", QDate(2099, 12, 31)},
    };
    for (const auto& caso : casi)
        EXPECT_EQ(DataDelCampo(caso.campo), caso.data) << caso.campo;
}

TEST(RigheEsportate, TimeWithoutDotsDirectionBadgeAndCRLF)
{
    const std::vector<RigaTimbratura> righe{{.ID = 1, .Terminale = 3, .Data = "15/03/2024", .Badge = "00012345", .Verso = 1, .Ora = "08.15.30"},
                                            {.ID = 2, .Terminale = 3, .Data = "15/03/2024", .Badge = "42", .Verso = 0, .Ora = "17.00.00"}};
    EXPECT_EQ(RigheEsportate(righe), QByteArray("081530100012345\r\n170000042\r\n"));
    EXPECT_EQ(RigheEsportate({}), QByteArray());
}

class ON_ENGINE(Esportazione) : public DatabaseTest {
protected:
    void timbratura(int terminale, const char* data, const char* ora, int verso, const char* badge)
    {
        db->InserisciTimbratura({.ID = ++id_, .Terminale = terminale, .Data = data, .Badge = badge, .Verso = verso, .Ora = ora});
    }
    QTemporaryDir cartella;

private:
    int id_ = 0;
};

TEST_F(ON_ENGINE(Esportazione), OneFilePerDayInOrderWithOnlyTheTerminalsPunches)
{
    timbratura(3, "31/12/2019", "17.00.00", 1, "00001234");
    timbratura(3, "30/12/2019", "08.00.00", 0, "00001234");
    timbratura(4, "30/12/2019", "09.00.00", 0, "00009999");  // another terminal
    timbratura(3, "30/12/2019", "07.30.00", 0, "00000042");
    timbratura(3, "02/01/2020", "08.15.30", 0, "00001234");
    timbratura(3, "03/01/2020", "08.15.30", 0, "00001234");  // after the range

    const QStringList scritti = EsportaGiorni(*db, 3, QDate(2019, 12, 30), QDate(2020, 1, 2), cartella.path());

    QStringList nomi;
    for (const QString& percorso : scritti)
        nomi << QFileInfo(percorso).fileName();
    EXPECT_EQ(nomi, QStringList({"PRE91230", "PRE91231", "PRE00101", "PRE00102"}));
    EXPECT_EQ(contenuto(cartella.filePath("PRE91230")), "080000000001234\r\n073000000000042\r\n")
        << "the rows in the order they were stored";
    EXPECT_EQ(contenuto(cartella.filePath("PRE91231")), "170000100001234\r\n");
    EXPECT_EQ(contenuto(cartella.filePath("PRE00101")), "") << "an empty day gives an empty file";
    EXPECT_EQ(contenuto(cartella.filePath("PRE00102")), "081530000001234\r\n");
    EXPECT_EQ(QDir(cartella.path()).entryList(QDir::Files).size(), 4);
}

TEST_F(ON_ENGINE(Esportazione), AnExistingFileIsReplacedAndOneDayGivesOneFile)
{
    QFile vecchio(cartella.filePath("PRE40315"));
    ASSERT_TRUE(vecchio.open(QIODevice::WriteOnly));
    vecchio.write("old content that is longer\r\n");
    vecchio.close();
    timbratura(3, "15/03/2024", "08.15.30", 1, "00012345");

    EXPECT_EQ(EsportaGiorni(*db, 3, QDate(2024, 3, 15), QDate(2024, 3, 15), cartella.path()).size(), 1);
    EXPECT_EQ(contenuto(cartella.filePath("PRE40315")), "081530100012345\r\n");
}

TEST_F(ON_ENGINE(Esportazione), AFileThatCannotBeWrittenStopsTheExportAtThatDay)
{
    // A folder in the place of the second day's file.
    ASSERT_TRUE(QDir(cartella.path()).mkdir("PRE91231"));
    EXPECT_THROW(EsportaGiorni(*db, 3, QDate(2019, 12, 30), QDate(2020, 1, 2), cartella.path()), ZentarError);
    EXPECT_TRUE(QFile::exists(cartella.filePath("PRE91230"))) << "the earlier day stays";
    EXPECT_FALSE(QFile::exists(cartella.filePath("PRE00101"))) << "nothing after the failing day";
}

TEST_F(ON_ENGINE(Esportazione), TheCsvFileHoldsOneLinePerPunchInDateOrder)
{
    timbratura(3, "31/12/2019", "17.00.00", 1, "00001234");
    timbratura(3, "30/12/2019", "08.00.00", 0, "00001234");
    timbratura(4, "30/12/2019", "09.00.00", 0, "00009999");  // another terminal
    timbratura(3, "30/12/2019", "07.30.00", 0, "A,\"B\"");     // a badge that needs quoting
    const QString percorso = cartella.filePath("punches.csv");

    EXPECT_EQ(EsportaCsv(*db, 3, QDate(2019, 12, 30), QDate(2020, 1, 1), percorso), 3);
    EXPECT_EQ(contenuto(percorso), "terminal,date,time,direction,badge\n"
                                   "3,2019-12-30,08:00:00,0,00001234\n"
                                   "3,2019-12-30,07:30:00,0,\"A,\"\"B\"\"\"\n"
                                   "3,2019-12-31,17:00:00,1,00001234\n");
    EXPECT_THROW(EsportaCsv(*db, 3, QDate(2019, 12, 30), QDate(2019, 12, 30), cartella.path()), ZentarError)
        << "a folder in the file's place";
}
