// The console's tab "Altre Funzioni": the terminal's date and time read and written back, the
// "Salva" buttons following their fields, the numbered parameter, and the byte-to-bits
// converter with its focus moves.
#include <QLabel>
#include <QTest>

#include "ConsoleSimulata.h"
#include "sim/civil_time.h"

using namespace zentar;

class ConsoleAltreFunzioni : public ConsoleSimulata {
protected:
    void SetUp() override
    {
        ConsoleSimulata::SetUp();
        if (!HasFatalFailure())
            apri("TabSheet4");
    }

    // The terminal's clock as "dd/mm/yyyy hh:mm:ss".
    QString orologio()
    {
        const sim::CivilDateTime t = sim::civilDateTime(terminale().now());
        return QStringLiteral("%1/%2/%3 %4:%5:%6")
            .arg(t.day, 2, 10, QLatin1Char('0'))
            .arg(t.month, 2, 10, QLatin1Char('0'))
            .arg(t.year)
            .arg(t.hour, 2, 10, QLatin1Char('0'))
            .arg(t.minute, 2, 10, QLatin1Char('0'))
            .arg(t.second, 2, 10, QLatin1Char('0'));
    }
    QLineEdit* bit(int k) { return campo(qPrintable(QStringLiteral("bit%1").arg(k))); }
    QStringList bitDa7A0()
    {
        QStringList testi;
        for (int k = 7; k >= 0; --k)
            testi << bit(k)->text();
        return testi;
    }
    // The operator's typing into a field, replacing what it holds.
    static void digita(QLineEdit* campo, const QString& testo)
    {
        campo->setFocus();
        campo->selectAll();
        QTest::keyClicks(campo, testo);
    }
};

TEST_F(ConsoleAltreFunzioni, DateAndTimeAreReadTogetherAndWrittenBack)
{
    collegatoInConsole(terminaleCon(), "TabSheet4");
    for (const char* leggi : {"btnReadTime", "Button2"}) {
        SCOPED_TRACE(leggi);
        campo("edtDate")->setText("01-01-2001");
        campo("edtTime")->setText("01.01.01");
        campo("ConsoleErr")->setText("vecchio");
        kavex.chiamate.clear();
        premi(leggi);
        EXPECT_EQ(kavex.chiamate, QStringList({"GetDate", "GetTime"}));
        EXPECT_EQ(campo("edtDate")->text(), "31-12-2015");
        EXPECT_EQ(campo("edtTime")->text(), "08.15.30");
        EXPECT_EQ(messaggio(), "");
    }

    const struct {
        const char* campo;
        const char* testo;
        const char* salva;
        const char* chiamata;
        const char* orologio;
    } scritture[] = {{"edtDate", "15-03-2024", "btnWriteDate", "SetDate 4240315", "15/03/2024 08:15:30"},
                     {"edtTime", "07.05.09", "btnWriteTime", "SetTime 070509", "15/03/2024 07:05:09"}};
    for (const auto& s : scritture) {
        SCOPED_TRACE(s.chiamata);
        campo(s.campo)->setText(s.testo);
        ASSERT_TRUE(attivo(s.salva));
        campo("ConsoleErr")->setText("vecchio");
        kavex.chiamate.clear();
        premi(s.salva);
        EXPECT_EQ(kavex.chiamate, QStringList{s.chiamata});
        EXPECT_EQ(messaggio(), "0 : Salvataggio Eseguito");
        EXPECT_EQ(orologio(), s.orologio);
    }

    campo("edtDate")->setText("01-01-2001");
    premi("btnReadTime");
    EXPECT_EQ(campo("edtDate")->text(), "15-03-2024");
    EXPECT_EQ(campo("edtTime")->text(), "07.05.09");
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(ConsoleAltreFunzioni, EachSalvaFollowsTheValidityOfItsField)
{
    const struct {
        const char* campo;
        const char* scritto;
        const char* mostrato;
        const char* salva;
        bool abilitato;
    } casi[] = {
        {"edtDate", "29-02-2024", "29-02-2024", "btnWriteDate", true},
        {"edtDate", "31-02-2024", "31-02-2024", "btnWriteDate", false},
        {"edtDate", "29-02-2023", "29-02-2023", "btnWriteDate", false},
        {"edtDate", "15-3", "15-30-0000", "btnWriteDate", false},
        {"edtTime", "23.59.59", "23.59.59", "btnWriteTime", true},
        {"edtTime", "24.00.00", "24.00.00", "btnWriteTime", false},
        {"edtTime", "00.00.00", "00.00.00", "btnWriteTime", true},
        {"edtTime", "12.60.00", "12.60.00", "btnWriteTime", false},
        {"edtTime", "07.05.09", "07.05.09", "btnWriteTime", true},
        {"edtTime", "1", "1 .  .  ", "btnWriteTime", false},
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.scritto);
        campo(caso.campo)->setText(caso.scritto);
        EXPECT_EQ(campo(caso.campo)->displayText(), caso.mostrato);
        EXPECT_EQ(attivo(caso.salva), caso.abilitato);
    }

    // A digit deleted from the date leaves a blank, which becomes a zero: 2100 turns into 2000.
    QLineEdit* data = campo("edtDate");
    data->setText("29-02-2100");
    ASSERT_FALSE(attivo("btnWriteDate"));
    data->setFocus();
    data->setCursorPosition(7);
    QTest::keyClick(data, Qt::Key_Delete);
    EXPECT_EQ(data->displayText(), "29-02-2000");
    EXPECT_TRUE(attivo("btnWriteDate"));
    EXPECT_TRUE(kavex.chiamate.isEmpty());
}

TEST_F(ConsoleAltreFunzioni, WithoutAConnectionTheFieldsStayAndEachWriteShowsTheCode)
{
    campo("edtDate")->setText("29-02-2024");
    campo("edtTime")->setText("07.05.09");
    campo("ConsoleErr")->setText("vecchio");
    premi("btnReadTime");
    EXPECT_EQ(kavex.chiamate, QStringList({"GetDate", "GetTime"}));
    EXPECT_EQ(campo("edtDate")->text(), "29-02-2024");
    EXPECT_EQ(campo("edtTime")->text(), "07.05.09");
    EXPECT_EQ(messaggio(), "");

    for (const char* salva : {"btnWriteDate", "btnWriteTime"}) {
        SCOPED_TRACE(salva);
        campo("ConsoleErr")->setText("vecchio");
        premi(salva);
        EXPECT_EQ(messaggio(), "-1");
    }
    EXPECT_TRUE(dialogs.shown.empty());
}

// ---- The numbered parameter ----

TEST_F(ConsoleAltreFunzioni, AParameterIsWrittenAndReadBack)
{
    collegatoInConsole(terminaleCon(), "TabSheet4");
    campo("edtParCod")->setText("7");
    campo("edtParVal")->setText("ABC");
    premi("btnWritePar");
    EXPECT_EQ(kavex.chiamate, QStringList{"SetParameter 7 ABC"});
    EXPECT_EQ(messaggio(), "0 : Salvataggio Eseguito");
    EXPECT_EQ(terminale().parameter(7), "ABC");

    campo("edtParVal")->clear();
    EXPECT_FALSE(attivo("btnWritePar"));
    campo("ConsoleErr")->setText("vecchio");
    premi("btnReadPar");
    EXPECT_EQ(campo("edtParVal")->text(), "ABC");
    EXPECT_EQ(messaggio(), "");

    // The library refuses a value of 33 characters and a number above 99.
    const struct {
        const char* codice;
        QString valore;
        const char* pulsante;
    } rifiuti[] = {{"7", QString(33, QLatin1Char('X')), "btnWritePar"}, {"100", "ABC", "btnReadPar"}};
    for (const auto& r : rifiuti) {
        SCOPED_TRACE(r.pulsante);
        campo("edtParCod")->setText(r.codice);
        campo("edtParVal")->setText(r.valore);
        premi(r.pulsante);
        EXPECT_EQ(messaggio(), "-1");
        EXPECT_EQ(campo("edtParVal")->text(), r.valore);
    }
    EXPECT_EQ(terminale().parameter(7), "ABC");
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(ConsoleAltreFunzioni, LeggiFollowsTheNumberAndSalvaTheValue)
{
    const struct {
        const char* codice;
        const char* valore;
        bool leggi;
        bool salva;
    } casi[] = {{"7", "", true, false}, {"7a", "", false, false}, {"7a", "1", false, true},
                {"", "1", false, true},  {"07", "1", true, true},  {" 7", "", false, false}};
    for (const auto& caso : casi) {
        SCOPED_TRACE(std::string(caso.codice) + "|" + caso.valore);
        campo("edtParCod")->setText(caso.codice);
        campo("edtParVal")->setText(caso.valore);
        EXPECT_EQ(attivo("btnReadPar"), caso.leggi);
        EXPECT_EQ(attivo("btnWritePar"), caso.salva);
    }
}

// ---- The converter ----

TEST_F(ConsoleAltreFunzioni, TheDecimalFieldEnablesTheArrowForAByteAndMovesOnAfterThreeDigits)
{
    attiva();
    QLineEdit* decimale = campo("edtDec");
    QWidget* freccia = console<QWidget>("btnDB");
    const struct {
        const char* testo;
        const char* mostrato;
        bool avviso;
        bool abilitata;
        QWidget* fuoco;
    } casi[] = {
        {"256", "256", true, false, decimale}, {"255", "255", false, true, freccia}, {"12", "12", false, true, decimale},
        {"1a", "1a", false, false, decimale},  {"007", "007", false, true, freccia}, {"", "0", false, true, decimale},
        {"999", "999", true, false, decimale},
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.testo);
        decimale->setFocus();
        dialogs.shown.clear();
        if (caso.avviso)
            dialogs.answers = {Answer::Ok};
        decimale->setText(caso.testo);
        EXPECT_EQ(decimale->text(), caso.mostrato);
        EXPECT_EQ(dialogs.texts(), caso.avviso ? QStringList{"Inserire un Numero Tra 0 e 255"} : QStringList());
        EXPECT_EQ(attivo("btnDB"), caso.abilitata);
        EXPECT_EQ(fuoco(), caso.fuoco);
    }
}

TEST_F(ConsoleAltreFunzioni, TheArrowsConvertBetweenTheByteAndItsBits)
{
    campo("edtDec")->setText("5");
    premi("btnDB");
    EXPECT_EQ(bitDa7A0(), QStringList({"0", "0", "0", "0", "0", "1", "0", "1"}));
    EXPECT_EQ(campo("edtBinCopy")->text(), "00000101");

    for (int k = 0; k < 8; ++k)
        bit(k)->setText(k == 0 || k == 7 ? "1" : "0");
    ASSERT_TRUE(attivo("btnBD"));
    premi("btnBD");
    EXPECT_EQ(campo("edtDec")->text(), "129");
    premi("btnDB");
    EXPECT_EQ(campo("edtBinCopy")->text(), "10000001");
    EXPECT_TRUE(kavex.chiamate.isEmpty());
}

TEST_F(ConsoleAltreFunzioni, ABitFieldKeepsOneBinaryDigitAndMovesOn)
{
    attiva();
    const struct {
        int k;
        const char* digitato;  // "" for emptying the field
        const char* resta;
        QWidget* fuoco;        // null: not looked at
    } casi[] = {
        {3, "1", "1", bit(4)},  {3, "0", "0", bit(4)},  {7, "1", "1", console<QWidget>("btnBD")},
        {2, "2", "0", nullptr}, {5, "x", "0", nullptr}, {1, "", "0", nullptr},
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(std::to_string(caso.k) + " " + caso.digitato);
        if (*caso.digitato) {
            digita(bit(caso.k), caso.digitato);
        } else {
            bit(caso.k)->setFocus();
            bit(caso.k)->selectAll();
            QTest::keyClick(bit(caso.k), Qt::Key_Backspace);
        }
        EXPECT_EQ(bit(caso.k)->text(), caso.resta);
        if (caso.fuoco != nullptr) {
            EXPECT_EQ(fuoco(), caso.fuoco);
        }
        EXPECT_TRUE(attivo("btnBD"));
    }

    // Two characters at once: the first stays.
    bit(6)->setFocus();
    bit(6)->setText("10");
    EXPECT_EQ(bit(6)->text(), "1");
    EXPECT_EQ(fuoco(), bit(7));
}
