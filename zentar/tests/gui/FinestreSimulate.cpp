#include "FinestreSimulate.h"

#include <QDir>
#include <QImage>
#include <QLabel>
#include <QSqlTableModel>
#include <QTableView>
#include <QTest>

#include "ZentarApplication.h"

using namespace zentar;

const QColor FinestreSimulate::kAcceso(0, 200, 0);
const QColor FinestreSimulate::kSpento(200, 0, 0);

namespace {

// One application object for the whole test program. It is never destroyed: a QApplication
// torn down among the static destructors at exit outlives Qt's own globals and crashes.
ZentarApplication& applicazione()
{
    static int argc = 1;
    static char nome[] = "zentar-gui-tests";
    static char* argv[] = {nome, nullptr};
    static ZentarApplication* app = new ZentarApplication(argc, argv);
    return *app;
}

void immagine(const QString& file, const QColor& colore)
{
    QImage pittura(27, 25, QImage::Format_RGB32);
    pittura.fill(colore);
    ASSERT_TRUE(pittura.save(file, "JPG", 100)) << file.toStdString();
}

}  // namespace

void FinestreSimulate::SetUp()
{
    applicazione();
    ASSERT_TRUE(cartella.isValid());
#if defined(ZENTAR_TEST_ENGINE_POSTGRESQL)
    if (!TurnoPostgreSQL::Disponibile())
        GTEST_SKIP() << "ODBCINI not set: no PostgreSQL data source \"Zentar\" to test on";
    turno_ = std::make_unique<TurnoPostgreSQL>();
    turno_->Prendi();
    ASSERT_FALSE(HasFatalFailure());
    constexpr MotoreDatabase kMotore = MotoreDatabase::Automatico;  // through the data source
#else
    constexpr MotoreDatabase kMotore = MotoreDatabase::SQLite;  // even when a cluster is defined
#endif
    const QDir programma(cartella.path());
    ASSERT_TRUE(programma.mkdir("Timbrature"));
    ASSERT_TRUE(programma.mkdir("images"));
    immagine(programma.filePath("images/on_.jpg"), kAcceso);
    immagine(programma.filePath("images/off_.jpg"), kSpento);
    cartellaPrecedente_ = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(cartella.path()));
    tempiBrevi();

    QString errore;
    finestre = Finestre::Avvia({.cartellaProgramma = cartella.path(),
                                .motore = kMotore,
                                .kavex = &kavex,
                                .dialoghi = &dialogs,
                                .indirizzoLocale = [this](const QString&) { return indirizzoLocale; },
                                .orologio = &orologio,
                                .termina = [this] { ++terminazioni; }},
                               &errore);
    ASSERT_NE(finestre, nullptr) << errore.toStdString();
    frmMain().show();
}

void FinestreSimulate::TearDown()
{
    finestre.reset();
    fermaDispositivi();
    if (!cartellaPrecedente_.isEmpty())
        QDir::setCurrent(cartellaPrecedente_);
    turno_.reset();
}

void FinestreSimulate::registra(int codice, const Colonne& colonne)
{
    ASSERT_TRUE(db().tblRilevatori()->insertRecord(-1, rigaRilevatore(db(), codice, colonne)));
    db().ApplicaRilevatori();
}

void FinestreSimulate::scegli(int codice)
{
    clic("lblState");
    ASSERT_TRUE(frmChooseVRN().isVisible());
    auto* lista = in<QTableView>(frmChooseVRN(), "lstVRN");
    ASSERT_NE(lista, nullptr);
    const QSqlTableModel& tabella = *db().tblRilevatori();
    int riga = -1;
    for (int r = 0; r < tabella.rowCount() && riga < 0; ++r) {
        if (tabella.record(r).value("Codice").toInt() == codice)
            riga = r;
    }
    ASSERT_GE(riga, 0) << "terminal " << codice << " is not in the chooser";
    const int colonna = tabella.fieldIndex("Descrizione");
    const QRect cella = lista->visualRect(tabella.index(riga, colonna));
    QTest::mouseClick(lista->viewport(), Qt::LeftButton, {}, cella.center());
    clic(in<QWidget>(frmChooseVRN(), "btnSeleziona"));
}

void FinestreSimulate::collegatoSuLinea(const sim::DriveFiles& files, int codice)
{
    suLinea(kavex_test::makeDevice(3, 0, terminaleCon(files)));
    registra(codice, {{"Portacom", kavex_test::kPort}, {"Modalita_col", 3}, {"Baudrate", 38400}, {"Parita", 0}});
    scegli(codice);
    clic("btnConnetti");
    ASSERT_TRUE(abilitato("btnDisconnetti")) << testo("ConsoleMainErr").toStdString();
    kavex.chiamate.clear();
    dialogs.shown.clear();
}

void FinestreSimulate::clic(QWidget* controllo)
{
    ASSERT_NE(controllo, nullptr);
    QTest::mouseClick(controllo, Qt::LeftButton);
}

QColor FinestreSimulate::coloreIndicatore()
{
    const QImage immagine = principale<QLabel>("imgConnection")->pixmap().toImage();
    return immagine.pixelColor(immagine.width() / 2, immagine.height() / 2);
}
