#include "TerminaleSimulato.h"

#include <QDir>
#include <QStringList>

#include "TerminalSelection.h"
#include "kavex.h"
#include "sim/civil_time.h"

using namespace zentar;

namespace {

constexpr const char* kIndirizzoScatola = "127.0.0.2";

// The loopback address this computer's adapters offer Kavex to bind to, "" when none: the
// box only answers loopback senders.
QString adattatoreLoopback()
{
    static const QString trovato = [] {
        if (InitCOMM(47311, KAVEX_MODE_NETWORK_BOX, 0, 0) < 0)
            return QString();
        char elenco[KAVEX_ADDRESS_LIST_SIZE] = {};
        GetAllIPAddress(elenco);
        ExitCOMM();
        const QStringList adattatori = QString::fromLatin1(elenco).split('|', Qt::SkipEmptyParts);
        if (adattatori.contains("127.0.0.1"))
            return QStringLiteral("127.0.0.1");
        // ChangeAdapter falls back on the first adapter.
        return !adattatori.isEmpty() && adattatori.front().startsWith("127.") && adattatori.front() != kIndirizzoScatola
                   ? adattatori.front()
                   : QString();
    }();
    return trovato;
}

}  // namespace

sim::TerminalConfig terminaleCon(sim::DriveFiles files, const char* modello)
{
    sim::TerminalConfig config;
    config.model = modello;
    config.files['A'] = std::move(files);
    config.hostClock = [] { return sim::civilSeconds(2015, 12, 31, 8, 15, 30); };
    return config;
}

void TerminaleSimulato::SetUp()
{
    DatabaseTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
        return;
    ASSERT_TRUE(QDir(programFolder.path()).mkdir("Timbrature"));
    Set232TimeOut(2);
    SetWinSockTimeOut(2);
    servizi = std::make_unique<ServiziTerminale>(*db, *stato, kavex, viste, viste, dialogs, orologio,
                                                 [this] { return indirizzoLocale; });
    connessione = &servizi->connessione;
}

void TerminaleSimulato::TearDown()
{
    ExitCOMM();
    Set232TimeOut(10);
    SetWinSockTimeOut(7);
    EnableMeter(0);
    connessione = nullptr;
    servizi.reset();
    sessione.reset();
    scatola.reset();
    DatabaseTest::TearDown();
}

void TerminaleSimulato::registra(int codice, Colonne colonne)
{
    QSqlRecord riga = terminalRow({{"Codice", codice},
                                   {"Descrizione", QStringLiteral("Terminale di prova %1").arg(codice)},
                                   {"Pos_Ora", "0"},
                                   {"Len_Ora", "6"},
                                   {"Pos_Verso", "6"},
                                   {"Pos_Cartellino", "7"},
                                   {"Len_Cartellino", "8"}});
    for (const auto& [colonna, valore] : colonne) {
        riga.setValue(colonna, valore);
        riga.setGenerated(colonna, true);
    }
    ASSERT_TRUE(db->tblRilevatori()->insertRecord(-1, riga));
    db->ApplicaRilevatori();
    ASSERT_EQ(SelezionaTerminale(*db, *stato, codice), EsitoSelezione::Selezionato);
}

void TerminaleSimulato::suLinea(kavex_test::SimDevice device)
{
    sessione = std::make_unique<kavex_test::SimSession>(std::move(device));
}

void TerminaleSimulato::inScatola(int numero, const sim::TerminalConfig& terminale, sim::BoxConfig config)
{
    indirizzoLocale = adattatoreLoopback();
    if (indirizzoLocale.isEmpty())
        GTEST_SKIP() << "this computer's name resolves to no loopback address for Kavex to bind to";
    config.settings.address = kIndirizzoScatola;
    config.port = 0;
    scatola = std::make_unique<sim::NetworkBox>(config);
    terminaleScatola = std::make_shared<sim::Terminal>(terminale);
    scatola->attach(numero, terminaleScatola);
    scatola->start();
}

sim::Terminal& TerminaleSimulato::terminale()
{
    return terminaleScatola ? *terminaleScatola : *sessione->device().terminal;
}

Colonne TerminaleSimulato::colonneScatola(int numero, const Colonne& altre) const
{
    Colonne colonne{{"Portacom", scatola->port()}, {"Modalita_col", KAVEX_MODE_NETWORK_BOX}, {"Baudrate", 0},
                    {"Parita", 0},         {"Indiriz_lanbrick", kIndirizzoScatola}, {"Indirizzo", numero}};
    colonne.insert(colonne.end(), altre.begin(), altre.end());
    return colonne;
}
