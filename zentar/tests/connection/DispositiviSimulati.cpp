#include "DispositiviSimulati.h"

#include <QSqlTableModel>
#include <QStringList>

#include <gtest/gtest.h>

#include "kavex.h"
#include "sim/civil_time.h"

namespace {

constexpr const char* kIndirizzoScatola = "127.0.0.2";

// The loopback address this computer's adapters offer Kavex to bind to, "" when none: the
// box only answers loopback senders, and the first adapter is a network interface's wherever
// the computer has one, so the tests choose this one with ChangeAdapter.
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
        for (const QString& adattatore : adattatori) {
            if (adattatore.startsWith("127.") && adattatore != kIndirizzoScatola)
                return adattatore;
        }
        return QString();
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

QSqlRecord rigaRilevatore(zentar::TDMDatabase& database, int codice, const Colonne& colonne)
{
    QSqlRecord riga = database.tblRilevatori()->record();
    for (int i = 0; i < riga.count(); ++i)
        riga.setGenerated(i, false);
    const Colonne tracciato{{"Codice", codice},
                            {"Descrizione", QStringLiteral("Terminale di prova %1").arg(codice)},
                            {"Pos_Ora", "0"},
                            {"Len_Ora", "6"},
                            {"Pos_Verso", "6"},
                            {"Pos_Cartellino", "7"},
                            {"Len_Cartellino", "8"}};
    for (const Colonne* gruppo : {&tracciato, &colonne}) {
        for (const auto& [colonna, valore] : *gruppo) {
            riga.setValue(colonna, valore);
            riga.setGenerated(colonna, true);
        }
    }
    return riga;
}

void DispositiviSimulati::suLinea(kavex_test::SimDevice device)
{
    sessione = std::make_unique<kavex_test::SimSession>(std::move(device));
}

void DispositiviSimulati::inScatola(int numero, const sim::TerminalConfig& terminale, sim::BoxConfig config)
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

sim::Terminal& DispositiviSimulati::terminale()
{
    return terminaleScatola ? *terminaleScatola : *sessione->device().terminal;
}

Colonne DispositiviSimulati::colonneScatola(int numero, const Colonne& altre) const
{
    Colonne colonne{{"Portacom", scatola->port()}, {"Modalita_col", KAVEX_MODE_NETWORK_BOX}, {"Baudrate", 0},
                    {"Parita", 0},         {"Indiriz_lanbrick", kIndirizzoScatola}, {"Indirizzo", numero}};
    colonne.insert(colonne.end(), altre.begin(), altre.end());
    return colonne;
}

void DispositiviSimulati::tempiBrevi()
{
    Set232TimeOut(2);
    SetWinSockTimeOut(2);
}

void DispositiviSimulati::fermaDispositivi()
{
    ExitCOMM();
    Set232TimeOut(10);
    SetWinSockTimeOut(7);
    EnableMeter(0);
    sessione.reset();
    scatola.reset();
    terminaleScatola.reset();
}
