// The program bin/zentar as built, without a display, from a copy of its folder layout
// (bin/zentar beside lib/), so that the Zentar.db it opens beside itself is the test's own.
#include <functional>

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>

#include "SupportoE2E.h"

namespace {

// The tables in the SQLite file.
QStringList tabelleDi(const QString& file)
{
    QStringList tabelle;
    if (QFile::exists(file)) {
        SuFileSQLite(file, [&](QSqlDatabase& db) {
            QSqlQuery query(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"), db);
            while (query.next())
                tabelle << query.value(0).toString();
        });
    }
    return tabelle;
}

bool haLeTabelleDiZentar(const QStringList& tabelle)
{
    return tabelle.contains("rilevatori") && tabelle.contains("file") && tabelle.contains("timbrature");
}

QByteArray contenuto(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class ProgrammaZentar : public ::testing::Test {
protected:
    void SetUp() override
    {
        AmbienteDiProva();
        ASSERT_TRUE(radice.isValid());
        const QDir r(radice.path());
        ASSERT_TRUE(r.mkpath("bin/Timbrature"));
        ASSERT_TRUE(r.mkpath("lavoro"));
        ASSERT_TRUE(QFile::link(ZENTAR_LIB_DIR, r.filePath("lib")));
        ASSERT_TRUE(QFile::link(ZENTAR_BIN_DIR "/images", r.filePath("lavoro/images")));
        ASSERT_TRUE(QFile::copy(ZENTAR_PATH, programma()));
    }

    QString cartellaProgramma() const { return radice.filePath("bin"); }
    QString programma() const { return radice.filePath("bin/zentar"); }
    QString database() const { return radice.filePath("bin/Zentar.db"); }
    // The working folder: it holds the pictures but is not the program's folder.
    QString lavoro() const { return radice.filePath("lavoro"); }

    QTemporaryDir radice;
};

TEST_F(ProgrammaZentar, ADatabaseThatCannotBeOpenedStopsTheProgramWithTheEnginesMessage)
{
    const QByteArray nonDatabase = QByteArray("these are not the pages of a database\n").repeated(100);
    struct Caso {
        const char* nome;
        std::function<bool(const QString& file)> prepara;
    };
    const Caso casi[] = {
        {.nome = "a folder in its place", .prepara = [](const QString& file) { return QDir().mkdir(file); }},
        {.nome = "a file that is no database",
         .prepara =
             [&](const QString& file) {
                 QFile f(file);
                 return f.open(QIODevice::WriteOnly) && f.write(nonDatabase) == nonDatabase.size();
             }},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.nome);
        QDir(database()).removeRecursively();
        QFile::remove(database());
        ASSERT_TRUE(caso.prepara(database()));
        const QString atteso = MessaggioDelMotore(cartellaProgramma());
        ASSERT_FALSE(atteso.trimmed().isEmpty());

        const Esito esito = Esegui(programma(), {}, lavoro(), 20s);
        ASSERT_TRUE(esito.finito) << "still running: " << esito.errori.toStdString();
        EXPECT_EQ(esito.stato, QProcess::NormalExit) << esito.errori.toStdString();
        EXPECT_NE(esito.codice, 0);
        EXPECT_TRUE(esito.errori.contains(atteso.trimmed()))
            << "expected \"" << atteso.toStdString() << "\" on standard error, got: " << esito.errori.toStdString();
        if (QFileInfo(database()).isFile()) {
            EXPECT_EQ(contenuto(database()), nonDatabase) << "the file that is no database is left as it was";
        }
    }
}

// A first start creates Zentar.db beside the program (not in the working folder); a start on
// the database of a previous run keeps its terminals. Either way the program stays up until
// it is told to end.
TEST_F(ProgrammaZentar, AStartOpensOrCreatesTheTablesBesideTheProgramAndRunsUntilTerminated)
{
    for (const bool registrati : {false, true}) {
        SCOPED_TRACE(registrati ? "on the demo's terminals" : "first start");
        if (registrati) {
            const Esito registra = Esegui(ZENTAR_DEMO_REGISTER, {cartellaProgramma()});
            ASSERT_EQ(registra.codice, 0) << registra.errori.toStdString();
        }
        ProgrammaAvviato zentar(programma(), {}, lavoro());
        ASSERT_TRUE(zentar.inEsecuzione());
        QStringList tabelle;
        const bool pronte = AttendiFinche(
            [&] {
                tabelle = tabelleDi(database());
                return haLeTabelleDiZentar(tabelle) || !zentar.inEsecuzione();
            },
            20s);
        ASSERT_TRUE(pronte && haLeTabelleDiZentar(tabelle))
            << "tables: " << tabelle.join(',').toStdString() << "\n" << zentar.errori().toStdString();
        QThread::msleep(1000);
        EXPECT_TRUE(zentar.inEsecuzione()) << zentar.errori().toStdString();
        EXPECT_FALSE(QFile::exists(QDir(lavoro()).filePath("Zentar.db")));
        EXPECT_TRUE(zentar.termina()) << "SIGTERM did not end it";

        if (registrati) {
            const Esito ancora = Esegui(ZENTAR_DEMO_REGISTER, {cartellaProgramma()});
            EXPECT_EQ(ancora.codice, 0);
            EXPECT_EQ(ancora.uscita.count("left as it is"), 2) << "the terminals are still there: " << ancora.uscita.toStdString();
        }
    }
}
