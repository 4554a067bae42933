// The program zentar-demo-register: the two demo terminals registered once however often it
// runs, a terminal already there kept as it is, the options, refusals, and a punch layout
// that cuts the simulated terminals' punch lines.
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>

#include "DMDatabase.h"
#include "ScriptedDialogs.h"
#include "SupportoE2E.h"
#include "Timbratura.h"
#include "TracciatoRilevatore.h"
#include "sim/terminal.h"

using namespace zentar;

namespace {

// Every row of rilevatori in Codice order, each as "column=value|column=value|...".
QStringList righeRilevatori(const QString& file)
{
    QStringList righe;
    SuFileSQLite(file, [&](QSqlDatabase& db) {
        QSqlQuery query(QStringLiteral(R"(SELECT * FROM rilevatori ORDER BY "Codice")"), db);
        while (query.next()) {
            QStringList campi;
            const QSqlRecord r = query.record();
            for (int i = 0; i < r.count(); ++i)
                campi << r.fieldName(i) + QLatin1Char('=') + r.value(i).toString();
            righe << campi.join(QLatin1Char('|'));
        }
    });
    return righe;
}

void eseguiSql(const QString& file, const QString& statement)
{
    SuFileSQLite(file, [&](QSqlDatabase& db) {
        QSqlQuery query(db);
        EXPECT_TRUE(query.exec(statement)) << statement.toStdString();
    });
}

}  // namespace

class RegistraDemo : public ::testing::Test {
protected:
    void SetUp() override
    {
        AmbienteDiProva();
        ASSERT_TRUE(cartella.isValid());
    }

    Esito registra(QStringList opzioni = {})
    {
        opzioni.prepend(cartella.path());
        return Esegui(ZENTAR_DEMO_REGISTER, opzioni);
    }
    QString database() const { return cartella.filePath("Zentar.db"); }

    QTemporaryDir cartella;
};

TEST_F(RegistraDemo, RunTwiceItRegistersTheTwoTerminalsOnce)
{
    const Esito prima = registra();
    ASSERT_EQ(prima.codice, 0) << prima.errori.toStdString();
    EXPECT_EQ(prima.uscita.count(": registered"), 2) << prima.uscita.toStdString();
    const QStringList righe = righeRilevatori(database());
    ASSERT_EQ(righe.size(), 2);
    EXPECT_TRUE(righe[0].startsWith("Codice=1|Descrizione=Ingresso (rete)|")) << righe[0].toStdString();
    EXPECT_TRUE(righe[1].startsWith("Codice=2|Descrizione=Magazzino (modem)|")) << righe[1].toStdString();

    const Esito seconda = registra();
    ASSERT_EQ(seconda.codice, 0) << seconda.errori.toStdString();
    EXPECT_EQ(seconda.uscita.count("left as it is"), 2) << seconda.uscita.toStdString();
    EXPECT_EQ(righeRilevatori(database()), righe);
}

TEST_F(RegistraDemo, ATerminalAlreadyThereIsKeptAndAMissingOneAdded)
{
    ASSERT_EQ(registra().codice, 0);
    const QStringList originali = righeRilevatori(database());
    ASSERT_EQ(originali.size(), 2);
    eseguiSql(database(), R"(UPDATE rilevatori SET "Descrizione" = 'Portineria', "Portacom" = 9000 WHERE "Codice" = 1)");
    eseguiSql(database(), R"(DELETE FROM rilevatori WHERE "Codice" = 2)");
    const QStringList cambiate = righeRilevatori(database());
    ASSERT_EQ(cambiate.size(), 1);

    const Esito esito = registra();
    ASSERT_EQ(esito.codice, 0) << esito.errori.toStdString();
    EXPECT_TRUE(esito.uscita.contains("code 1 already registered as \"Portineria\", left as it is"))
        << esito.uscita.toStdString();
    EXPECT_EQ(righeRilevatori(database()), (QStringList{cambiate[0], originali[1]}));
}

TEST_F(RegistraDemo, TheOptionsPlaceTheBoxAndTheModem)
{
    struct Caso {
        QStringList opzioni;
        int portaScatola;
        int portaModem;
    };
    const Caso casi[] = {
        {.opzioni = {}, .portaScatola = 8499, .portaModem = 2},
        {.opzioni = {"--box-port", "9123", "--modem-port", "7"}, .portaScatola = 9123, .portaModem = 7},
        {.opzioni = {"--modem-port", "500"}, .portaScatola = 8499, .portaModem = 500},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.opzioni.join(' ').toStdString());
        QFile::remove(database());
        const Esito esito = registra(caso.opzioni);
        ASSERT_EQ(esito.codice, 0) << esito.errori.toStdString();
        const QStringList righe = righeRilevatori(database());
        ASSERT_EQ(righe.size(), 2);
        EXPECT_TRUE(righe[0].contains(QStringLiteral("|Portacom=%1|").arg(caso.portaScatola)));
        EXPECT_TRUE(righe[1].contains(QStringLiteral("|Portacom=%1|").arg(caso.portaModem)));
    }
}

TEST_F(RegistraDemo, UnusableArgumentsOrDataSourceChangeNothing)
{
    struct Caso {
        QStringList argomenti;  // %1 stands for the test's folder
        int codice;
        const char* messaggio;
    };
    const Caso casi[] = {
        {.argomenti = {}, .codice = 2, .messaggio = "the program folder is missing"},
        {.argomenti = {"%1", "--box-port"}, .codice = 2, .messaggio = "--box-port takes a number from 1 to 65535"},
        {.argomenti = {"%1", "--box-port", "65536"}, .codice = 2, .messaggio = "--box-port takes a number"},
        {.argomenti = {"%1", "--modem-port", "0"}, .codice = 2, .messaggio = "--modem-port takes a number from 1 to 500"},
        {.argomenti = {"%1", "--modem-port", "x"}, .codice = 2, .messaggio = "--modem-port takes a number"},
        {.argomenti = {"%1", "--baud", "9600"}, .codice = 2, .messaggio = "unexpected argument \"--baud\""},
        {.argomenti = {"%1", "%1"}, .codice = 2, .messaggio = "unexpected argument"},
        {.argomenti = {"%1/nowhere"}, .codice = 1, .messaggio = "no folder"},
    };
    for (const Caso& caso : casi) {
        QStringList argomenti;
        for (const QString& a : caso.argomenti)
            argomenti << QString(a).replace("%1", cartella.path());
        SCOPED_TRACE(argomenti.join(' ').toStdString());
        const Esito esito = Esegui(ZENTAR_DEMO_REGISTER, argomenti);
        EXPECT_EQ(esito.codice, caso.codice);
        EXPECT_TRUE(esito.errori.contains(caso.messaggio)) << esito.errori.toStdString();
        EXPECT_FALSE(QFile::exists(database()));
    }

    // The engine's own message when Zentar.db cannot be opened.
    ASSERT_TRUE(QDir().mkdir(database()));
    const Esito esito = registra();
    EXPECT_EQ(esito.codice, 1);
    const QString atteso = MessaggioDelMotore(cartella.path());
    EXPECT_TRUE(esito.errori.contains(atteso)) << esito.errori.toStdString() << " lacks " << atteso.toStdString();
    EXPECT_TRUE(QFileInfo(database()).isDir());
}

// Each registered terminal, read as the download reads it, cuts the lines of a month of
// simulated punch days (numbered as kavex-sim numbers that terminal) into a badge of the
// simulated staff, a direction and a working-hours time, with no question about a missing
// parameter; its own number stands where the layout puts it.
TEST_F(RegistraDemo, TheLayoutCutsTheSimulatedPunchLines)
{
    ASSERT_EQ(registra().codice, 0);
    StatoTerminale stato(cartella.path());
    QString errore;
    const auto db = ApriDatabase(stato, &errore);
    ASSERT_NE(db, nullptr) << errore.toStdString();
    ScriptedDialogs nessunaDomanda;
    TracciatoRilevatore tracciato(*db, nessunaDomanda);
    const QRegularExpression badge(QStringLiteral("^0000100[1-8]$"));
    const QRegularExpression ora(QStringLiteral("^(0[7-9]|1[0-8])\\.[0-5][0-9]\\.[0-5][0-9]$"));

    for (const int codice : {1, 2}) {
        SCOPED_TRACE(codice);
        ASSERT_TRUE(db->VaiAlRilevatore(codice));
        stato.CodiceTerminale = codice;  // the layout is the selected terminal's
        const int numero = db->CampoCorrente("Indirizzo").toInt();
        const QString numeroNellaRiga = QStringLiteral("%1").arg(numero, 2, 10, QLatin1Char('0'));
        const int posizioneNumero = db->CampoCorrente("Pos_CodSelvo").toInt();
        const int lunghezzaNumero = db->CampoCorrente("Len_CodSelvo").toInt();
        const int lunghezzaRiga = db->CampoCorrente("RecLen").toInt();
        // What is wrong with the cut of one line; empty when nothing is.
        const auto problemi = [&](const QString& riga) {
            TTimbratura timbratura(riga, tracciato);
            QStringList trovati;
            if (!badge.match(timbratura.GetCartellino()).hasMatch())
                trovati << "badge " + timbratura.GetCartellino();
            if (!ora.match(timbratura.GetOra()).hasMatch())
                trovati << "time " + timbratura.GetOra();
            if (const int verso = timbratura.GetVerso(); verso != 0 && verso != 1)
                trovati << "direction " + QString::number(verso);
            if (riga.mid(posizioneNumero, lunghezzaNumero) != numeroNellaRiga)
                trovati << "terminal number " + riga.mid(posizioneNumero, lunghezzaNumero);
            if (riga.size() != lunghezzaRiga)
                trovati << "length " + QString::number(riga.size());
            return trovati.join(", ");
        };
        const sim::DriveFiles giorni = sim::generatePunchDays(
            {.days = 31, .seed = static_cast<uint32_t>(1 + numero), .address = numero}, sim::hostCivilNow());
        ASSERT_EQ(giorni.size(), 31u);
        int righe = 0;
        for (const auto& [nome, record] : giorni) {
            for (const std::string& testo : record) {
                const QString riga = QString::fromStdString(testo);
                const QString trovati = problemi(riga);
                ASSERT_TRUE(trovati.isEmpty()) << nome << " " << testo << ": " << trovati.toStdString();
                ++righe;
            }
        }
        EXPECT_GT(righe, 31 * 2);
    }
    EXPECT_TRUE(nessunaDomanda.shown.empty());
}
