#include "ConsoleSimulata.h"

#include <QAction>
#include <QListView>
#include <QPlainTextEdit>
#include <QSqlTableModel>
#include <QTabWidget>
#include <QTest>

void ConsoleSimulata::apri(const char* nome)
{
    principale<QAction>("Prompt1")->trigger();
    ASSERT_TRUE(frmPrompt().isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frmPrompt()));
    scheda(nome);
}

void ConsoleSimulata::scheda(const char* nome)
{
    auto* pagine = console<QTabWidget>("PageControl1");
    auto* pagina = console<QWidget>(nome);
    ASSERT_TRUE(pagine != nullptr && pagina != nullptr);
    pagine->setCurrentWidget(pagina);
    ASSERT_EQ(pagine->currentWidget(), pagina) << nome << " is no tab of the console";
}

void ConsoleSimulata::scegliInConsole(int codice)
{
    auto* lista = console<QListView>("lstVRN");
    ASSERT_NE(lista, nullptr);
    const QAbstractItemModel& righe = *lista->model();
    const int colonnaCodice = db().tblRilevatori()->fieldIndex("Codice");
    int riga = -1;
    for (int r = 0; r < righe.rowCount() && riga < 0; ++r) {
        if (righe.index(r, colonnaCodice).data().toInt() == codice)
            riga = r;
    }
    ASSERT_GE(riga, 0) << "terminal " << codice << " is not in the console's list";
    const QRect cella = lista->visualRect(righe.index(riga, lista->modelColumn()));
    ASSERT_FALSE(cella.isEmpty()) << "the line of terminal " << codice << " is not shown";
    QTest::mouseClick(lista->viewport(), Qt::LeftButton, {}, cella.center());
}

void ConsoleSimulata::collegatoInConsole(const sim::TerminalConfig& config, const char* nome)
{
    suLinea(kavex_test::makeDevice(3, 0, config));
    registra(3, {{"Portacom", kavex_test::kPort}, {"Modalita_col", 3}, {"Baudrate", 38400}, {"Parita", 0}});
    collegaTerminale3(nome);
}

void ConsoleSimulata::collegatoInScatola(const sim::TerminalConfig& config, const char* nome)
{
    inScatola(2, config);
    if (testing::Test::IsSkipped())
        return;
    registra(3, colonneScatola(2, {{"IPMaster", "127.0.0.9"}}));
    collegaTerminale3(nome);
}

void ConsoleSimulata::collegaTerminale3(const char* nome)
{
    apri();
    scegliInConsole(3);
    premi("btnConnetti");
    ASSERT_TRUE(attivo("btnDisconnetti")) << testo("ConsoleMainErr").toStdString();
    scheda(nome);
    kavex.chiamate.clear();
    dialogs.shown.clear();
}

void ConsoleSimulata::attiva()
{
    frmPrompt().activateWindow();
    QApplication::setActiveWindow(&frmPrompt());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frmPrompt()));
}

QStringList ConsoleSimulata::bacheca()
{
    const QString testo = console<QPlainTextEdit>("ListReply")->toPlainText();
    return testo.isEmpty() ? QStringList() : testo.split(QLatin1Char('\n'));
}
