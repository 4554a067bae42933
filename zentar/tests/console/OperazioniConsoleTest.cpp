// The console's texts: the command built from the list and the line, the terminal's refusal,
// the date and time both ways, the calendar and clock checks, the bit converter, the terminal
// name of a local file and the names of a listing.
#include <gtest/gtest.h>

#include "OperazioniConsole.h"
#include "QtPrinters.h"

using namespace zentar;

TEST(OperazioniConsole, TheCommandJoinsTheListAndTheLine)
{
    const QString segnaposto = SegnapostoComando();
    EXPECT_EQ(segnaposto, " INSERISCI QUI IL COMANDO DA INVIARE AL TERMINALE");
    const struct {
        const char* comando;
        QString riga;
        const char* inviato;
    } casi[] = {
        {"TIME", "", "TIME "},        {"BYE", segnaposto, "BYE "}, {"", "@TIME", "@TIME"},
        {"", segnaposto, ""},         {"DIR", "  ", "DIR "},       {"TYPE", " PRE51231 ", "TYPE  PRE51231 "},
        {"", " @CFG 01", " @CFG 01"},
    };
    for (const auto& caso : casi)
        EXPECT_EQ(ComandoDaInviare(caso.comando, caso.riga), caso.inviato) << caso.comando << "|" << caso.riga.toStdString();
}

TEST(OperazioniConsole, OnlyASingleQuestionedEchoIsARefusal)
{
    EXPECT_TRUE(ComandoRifiutato({"FOO ??"}, "FOO"));
    EXPECT_FALSE(ComandoRifiutato({"FOO ??", "altro"}, "FOO"));
    EXPECT_FALSE(ComandoRifiutato({"FOO"}, "FOO"));
    EXPECT_FALSE(ComandoRifiutato({}, "FOO"));
    EXPECT_FALSE(ComandoRifiutato({"BAR ??"}, "FOO"));
}

TEST(OperazioniConsole, DateAndTimeGoBothWays)
{
    EXPECT_EQ(DataDalTerminale("4240315"), QString("15-03-2024"));
    EXPECT_EQ(DataDalTerminale("0991231"), QString("31-12-2099"));
    EXPECT_EQ(DataDalTerminale("424031"), std::nullopt) << "a short reply changes nothing";
    EXPECT_EQ(OraDalTerminale("134502"), QString("13.45.02"));
    EXPECT_EQ(OraDalTerminale(""), std::nullopt);
    EXPECT_EQ(DataPerIlTerminale("15-03-2024"), "4240315") << "the weekday is always 4";
    EXPECT_EQ(OraPerIlTerminale("07.05.09"), "070509");
}

TEST(OperazioniConsole, CalendarAndClockChecks)
{
    const struct {
        const char* data;
        bool valida;
    } date[] = {{"29-02-2024", true}, {"29-02-2023", false}, {"31-02-2024", false}, {"31-04-2024", false},
                {"30-04-2024", true}, {"29-02-2000", true},  {"29-02-1900", false}, {"00-01-2024", false},
                {"01-13-2024", false}, {"01-01-0000", false}, {"01-01-0001", true}, {"00-00-0000", false}};
    for (const auto& caso : date)
        EXPECT_EQ(DataValida(caso.data), caso.valida) << caso.data;
    const struct {
        const char* ora;
        bool valida;
    } ore[] = {{"00.00.00", true}, {"23.59.59", true}, {"24.00.00", false}, {"12.60.00", false},
               {"12.00.60", false}, {"1 .00.00", false}, {"12:00:00", false}, {"12.00.0", false}};
    for (const auto& caso : ore)
        EXPECT_EQ(OraValida(caso.ora), caso.valida) << caso.ora;
}

TEST(OperazioniConsole, TheBitConverter)
{
    EXPECT_EQ(BitDelByte(5), "00000101");
    EXPECT_EQ(BitDelByte(255), "11111111");
    EXPECT_EQ(BitDelByte(256), "00000000") << "modulo 256";
    EXPECT_EQ(BitDelByte(129), "10000001");
    std::array<QString, 8> bit{"1", "0", "0", "0", "0", "0", "0", "1"};
    EXPECT_EQ(ByteDaiBit(bit), 129);
    bit = {"1", "2", "1", "", "x", "0", "0", "0"};
    EXPECT_EQ(ByteDaiBit(bit), 5) << "only exact 1s count";
}

TEST(OperazioniConsole, TheTerminalNameOfALocalFile)
{
    EXPECT_EQ(NomeSulTerminale("prog.bin"), "PROG");
    EXPECT_EQ(NomeSulTerminale("a.b.c"), "A");
    EXPECT_EQ(NomeSulTerminale("readme"), "");
    EXPECT_EQ(NomeSulTerminale(".profile"), "");
}

TEST(OperazioniConsole, TheNamesOfAListing)
{
    QByteArray elenco(64, '\0');
    elenco.replace(0, 11, "PRE51231 44");
    elenco.replace(16, 15, "LUNGHISSIMONOME");  // no blank in its 15 characters
    elenco.replace(32, 9, "NOTE    3");
    EXPECT_EQ(NomiDellElenco(elenco.constData(), 64, 3), QStringList({"PRE51231", "", "NOTE"}));
    EXPECT_EQ(NomiDellElenco(elenco.constData(), 40, 3), QStringList({"PRE51231", ""})) << "never past the buffer";
    EXPECT_TRUE(NomiDellElenco(nullptr, 64, 3).isEmpty());
}
