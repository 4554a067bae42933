// "CONNETTI" and "DISCONNETTI" of the main window against terminals behind the simulated
// network box, on a simulated dial-up modem and on a direct line; the list of days each one
// shows; every failing step as the operator sees it.
#include <QListWidget>

#include "FinestreSimulate.h"
#include "kavex.h"

using namespace zentar;

namespace {

QStringList voci(const QListWidget& lista)
{
    QStringList testi;
    for (int i = 0; i < lista.count(); ++i)
        testi << lista.item(i)->text();
    return testi;
}

// Punch files the terminals list by name, not by date (in 2015 the year digit 9 means 2009).
const sim::DriveFiles kGiorni{{"PRE51231", {"0815300000012340"}},
                              {"PRE91231", {"0815300000012340"}},
                              {"PRE51115", {"0815300000012340"}},
                              {"NOTE", {"x"}}};
const QStringList kInOrdine{"31/12/2009", "15/11/2015", "31/12/2015"};

}  // namespace

class CollegamentiFinestra : public FinestreSimulate {
protected:
    // CONNETTI on the selected terminal, then the checks every link shares.
    void connettiEVerifica()
    {
        clic("btnConnetti");
        ASSERT_TRUE(abilitato("btnDisconnetti")) << testo("ConsoleMainErr").toStdString();
        EXPECT_EQ(testo("ConsoleMainErr"), "");
        EXPECT_TRUE(dialogs.shown.empty());
        EXPECT_EQ(coloreIndicatore(), kAcceso);
        EXPECT_EQ(voci(*principale<QListWidget>("listFilePre")), kInOrdine);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(principale<QListWidget>("listFilePre")->item(i)->checkState(), Qt::Unchecked);

        clic("btnDisconnetti");
        EXPECT_FALSE(abilitato("btnDisconnetti"));
        EXPECT_TRUE(abilitato("btnConnetti"));
        EXPECT_EQ(coloreIndicatore(), kSpento);
        EXPECT_EQ(principale<QListWidget>("listFilePre")->count(), 0);
        EXPECT_EQ(stato().CodiceTerminale, 3) << "the selection stays";
    }

    // Selects the registered terminal, presses CONNETTI and checks what the operator sees of
    // the failure: the step's message in the status line and the box naming the terminal.
    void connessioneFallita(int codice, const QString& descrizione, const QString& messaggio)
    {
        scegli(codice);
        dialogs.shown.clear();
        dialogs.answers = {Answer::Ok};

        clic("btnConnetti");

        EXPECT_EQ(testo("ConsoleMainErr"), messaggio);
        EXPECT_EQ(dialogs.texts(), QStringList{QStringLiteral("Connesione Fallita su \" %1 \" ").arg(descrizione)});
        EXPECT_EQ(kavex.chiamate.back(), "ExitCOMM") << "the device is closed again";
        EXPECT_EQ(stato().TerminaleAttivo, 0);
        EXPECT_TRUE(abilitato("btnConnetti"));
        EXPECT_FALSE(abilitato("btnDisconnetti"));
        EXPECT_EQ(coloreIndicatore(), kSpento);
    }
};

TEST_F(CollegamentiFinestra, BehindTheNetworkBox)
{
    inScatola(2, terminaleCon(kGiorni));
    if (IsSkipped())
        return;
    registra(3, colonneScatola(2, {{"IPMaster", "127.0.0.9"}}));
    scegli(3);
    connettiEVerifica();
    EXPECT_EQ(scatola->engine().settings().master, "127.0.0.9") << "the box is given back to its master";
}

TEST_F(CollegamentiFinestra, OnADialUpModem)
{
    suLinea(kavex_test::withModem(kavex_test::makeDevice(3, 0, terminaleCon(kGiorni))));
    registra(3, {{"Portacom", kavex_test::kPort}, {"Modalita_col", 3}, {"Baudrate", 9600}, {"Parita", 0},
                 {"Indirizzo", 0}, {"Modem", true}, {"Telefono", "5551234"}, {"Modem_wait", 45},
                 {"Modem_init", "ATZ"}});
    scegli(3);
    connettiEVerifica();
    EXPECT_EQ(kavex.chiamateDi("DialNumber"), QStringList{"DialNumber ATZ 5551234 45"});
    EXPECT_EQ(kavex.chiamateDi("HangUp"), QStringList{"HangUp"});
    EXPECT_FALSE(sessione->device().modem->connected());
}

TEST_F(CollegamentiFinestra, OnADirectLine)
{
    suLinea(kavex_test::makeDevice(3, 0, terminaleCon(kGiorni)));
    registra(3, {{"Portacom", kavex_test::kPort}, {"Modalita_col", 3}, {"Baudrate", 38400}, {"Parita", 0}});
    scegli(3);
    connettiEVerifica();
    EXPECT_EQ(kavex.chiamate.value(0), "InitCOMM 7 3 38400 0");
    EXPECT_TRUE(kavex.chiamateDi("SetIPAddress").isEmpty());
    EXPECT_TRUE(kavex.chiamateDi("DialNumber").isEmpty());
}

TEST_F(CollegamentiFinestra, AFailingLineStepIsReportedInTheBoxAndTheStatusLine)
{
    const struct {
        const char* nome;
        const char* modello;
        int porta;
        int indirizzo;
        bool modem;
        const char* messaggio;
    } casi[] = {
        {"no device", "Pello", 9, 0, false, "InitCOMM Fallita = -1"},
        {"bad terminal number", "Pello", kavex_test::kPort, 5, false, "SetTerminal [5] Fallita = -1"},
        {"unknown model", "Sconosciuto", kavex_test::kPort, 0, false, "SetTerminal [0] Fallita = -2"},
        {"no modem answers", "Pello", kavex_test::kPort, 0, true, "DialNumber Fallita = -1"},
    };
    int codice = 10;
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.nome);
        suLinea(kavex_test::makeDevice(3, 0, terminaleCon({}, caso.modello)));
        registra(++codice, {{"Descrizione", caso.nome}, {"Portacom", caso.porta}, {"Modalita_col", 3},
                            {"Baudrate", 9600}, {"Parita", 0}, {"Indirizzo", caso.indirizzo}, {"Modem", caso.modem},
                            {"Telefono", "5551234"}, {"Modem_wait", 2}});
        connessioneFallita(codice, caso.nome, caso.messaggio);
        sessione.reset();
    }
}

TEST_F(CollegamentiFinestra, AFailingBoxStepIsReportedInTheBoxAndTheStatusLine)
{
    inScatola(2, terminaleCon());
    if (IsSkipped())
        return;
    const struct {
        const char* nome;
        Colonne colonne;
        QString messaggio;
    } casi[] = {
        {"no box there", {{"Indiriz_lanbrick", "127.0.0.3"}}, "SetIPAdress [127.0.0.3] Fallito = -1"},
        {"no terminal at the number", {{"Indirizzo", 9}}, "SetTerminal [9] Fallita = -2"},
    };
    int codice = 10;
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.nome);
        Colonne colonne = colonneScatola(2, caso.colonne);
        colonne.emplace_back("Descrizione", caso.nome);
        registra(++codice, colonne);
        connessioneFallita(codice, caso.nome, caso.messaggio);
    }
}
