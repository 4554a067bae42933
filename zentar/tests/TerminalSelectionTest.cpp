#include <QDir>
#include <QFileInfo>

#include "DatabaseFixture.h"
#include "TerminalSelection.h"

using namespace zentar;

class ON_ENGINE(TerminalSelection) : public DatabaseTest {
protected:
    QString timbrature() { return QDir(programFolder.path()).filePath("Timbrature"); }
    void makeTimbrature() { ASSERT_TRUE(QDir().mkdir(timbrature())); }
};

TEST_F(ON_ENGINE(TerminalSelection), CreatesTheTerminalsFolderUnderTimbratureThenFindsIt)
{
    makeTimbrature();
    addTerminal(12, "Portineria");
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_EQ(SelezionaTerminale(*db, *stato, 12), EsitoSelezione::Selezionato) << attempt;
        EXPECT_EQ(stato->CodiceTerminale, 12);
        EXPECT_EQ(stato->TerminaleAttivo, 12);
        EXPECT_EQ(stato->DescrizioneTerminale, "Portineria");
        EXPECT_EQ(stato->CartellaPRE, QDir::toNativeSeparators(QDir(timbrature()).filePath("12")));
        EXPECT_TRUE(QFileInfo(stato->CartellaPRE).isDir());
    }
    EXPECT_EQ(db->CampoCorrente("Codice").toInt(), 12) << "the selected terminal's row is current";
}

TEST_F(ON_ENGINE(TerminalSelection), PercorsoPREOfTheRowIsTheDestination)
{
    const QString own = QDir(programFolder.path()).filePath("altrove");
    addTerminal(2, "due", own);
    EXPECT_EQ(SelezionaTerminale(*db, *stato, 2), EsitoSelezione::Selezionato);
    EXPECT_EQ(stato->CartellaPRE, own);
    EXPECT_TRUE(QFileInfo(own).isDir());
    EXPECT_FALSE(QFileInfo(timbrature()).exists()) << "Timbrature is never made by the program";
}

TEST_F(ON_ENGINE(TerminalSelection), WithoutTimbratureNoTerminalIsSelectedAndThePreviousFolderStays)
{
    const QString own = QDir(programFolder.path()).filePath("primo");
    addTerminal(1, "primo", own);
    addTerminal(3, "terzo");
    ASSERT_EQ(SelezionaTerminale(*db, *stato, 1), EsitoSelezione::Selezionato);

    EXPECT_EQ(SelezionaTerminale(*db, *stato, 3), EsitoSelezione::CartellaNonCreata);
    EXPECT_EQ(stato->CodiceTerminale, 0);
    EXPECT_EQ(stato->TerminaleAttivo, 0);
    EXPECT_EQ(stato->CartellaPRE, own);
    EXPECT_EQ(stato->DescrizioneTerminale, "primo");
    EXPECT_FALSE(QFileInfo(timbrature()).exists());
}

TEST_F(ON_ENGINE(TerminalSelection), CodeZeroChangesNothing)
{
    makeTimbrature();
    addTerminal(5, "cinque");
    ASSERT_EQ(SelezionaTerminale(*db, *stato, 5), EsitoSelezione::Selezionato);
    EXPECT_EQ(SelezionaTerminale(*db, *stato, 0), EsitoSelezione::NessunTerminale);
    EXPECT_EQ(stato->CodiceTerminale, 5);
    EXPECT_EQ(stato->TerminaleAttivo, 5);
}
