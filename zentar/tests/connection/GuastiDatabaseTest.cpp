// Storing a downloaded day into a database that fails part-way through it: the SQLite file
// turned read-only or full, the PostgreSQL server stopped and started again. The fault comes at
// a chosen punch through the layout source, which SalvaTimbrature reads once per line before
// storing it; then the fault is lifted and the day is stored again on the same data module.
#include <functional>
#include <optional>
#include <utility>

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlTableModel>

#include "DatabaseFixture.h"
#include "Errors.h"
#include "ScaricoPRE.h"
#include "ServerPostgreSQL.h"
#include "TracciatoRilevatore.h"

using namespace zentar;

namespace {

constexpr int kTerminale = 3;
constexpr int kTimbrature = 400;
const char* const kNome = "PRE51231";
const QString kData = QStringLiteral("31/12/2015");

// The i-th punch of the day, every one different: a time ten seconds after the one before,
// the direction, one of fifty badges.
QTime ora(int i) { return QTime(8, 0).addSecs(10 * i); }
int verso(int i) { return i % 2; }
QString badge(int i) { return QStringLiteral("%1").arg(1000 + i % 50, 8, 10, QLatin1Char('0')); }

// The day's file: time, direction, badge and the terminal's number on each line.
QByteArray contenutoDelGiorno()
{
    QByteArray testo;
    for (int i = 0; i < kTimbrature; ++i)
        testo += (ora(i).toString("hhmmss") + QString::number(verso(i)) + badge(i) + "01\r\n").toLatin1();
    return testo;
}

// Rows of timbrature as "badge direction time", and with the ID before them.
QString descrivi(const QString& badge, int verso, const QString& ora)
{
    return QStringLiteral("%1 %2 %3").arg(badge).arg(verso).arg(ora);
}

QStringList attese(int quante, bool conID)
{
    QStringList righe;
    for (int i = 0; i < quante; ++i) {
        const QString riga = descrivi(badge(i), verso(i), ora(i).toString("hh.mm.ss"));
        righe << (conID ? QString::number(i + 1) + ' ' + riga : riga);
    }
    return righe;
}

// The terminal's layout, and a fault run once as the line after the first `dopo` punches is
// cut: at that moment those punches, and no other, are stored.
class TracciatoConGuasto final : public FonteTracciato {
public:
    explicit TracciatoConGuasto(FonteTracciato& vero) : vero_(vero) {}

    void GuastoDopo(int dopo, std::function<void()> guasto)
    {
        dopo_ = dopo;
        righe_ = 0;
        guasto_ = std::move(guasto);
    }

    std::optional<QString> ParametroTracciato(CampoTracciato campo, int predefinito) override
    {
        // The badge's position is read once per line, first.
        if (campo == CampoTracciato::Pos_Cartellino && guasto_ && righe_++ == dopo_)
            std::exchange(guasto_, {})();
        return vero_.ParametroTracciato(campo, predefinito);
    }

private:
    FonteTracciato& vero_;
    int dopo_ = 0;
    int righe_ = 0;
    std::function<void()> guasto_;
};

struct Memorizzazione {
    QString passo;      // the step that failed, empty when the day is stored
    QString messaggio;  // the database's message, when it threw
};

}  // namespace

class ON_ENGINE(GuastiDatabase) : public DatabaseTest {
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_TRUE(db->tblRilevatori()->insertRecord(
            -1, terminalRow({{"Codice", kTerminale}, {"Pos_Ora", "0"}, {"Len_Ora", "6"}, {"Pos_Verso", "6"},
                             {"Pos_Cartellino", "7"}, {"Len_Cartellino", "8"}})));
        db->ApplicaRilevatori();
        ASSERT_TRUE(db->VaiAlRilevatore(kTerminale));
        stato->CodiceTerminale = kTerminale;
        stato->CartellaPRE = programFolder.path();
        QFile file(QDir(programFolder.path()).filePath(kNome));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(contenutoDelGiorno()), contenutoDelGiorno().size());
        file.close();
        nuovoScarico();
    }

    // The download's classes on the present data module.
    void nuovoScarico()
    {
        scarico.reset();
        tracciato.reset();
        tracciatoVero = std::make_unique<TracciatoRilevatore>(*db, dialogs);
        tracciato = std::make_unique<TracciatoConGuasto>(*tracciatoVero);
        scarico = std::make_unique<ScaricoPRE>(*db, *stato, kavex, dialogs, *tracciato, orologio);
    }

    // The storing steps of a download, SalvaFile then SalvaTimbrature.
    Memorizzazione memorizza()
    {
        for (const auto& [passo, salva] : {std::pair<QString, bool (ScaricoPRE::*)(const QString&)>{
                                               "SalvaFile", &ScaricoPRE::SalvaFile},
                                           {"SalvaTimbrature", &ScaricoPRE::SalvaTimbrature}}) {
            try {
                if (!((*scarico).*salva)(kNome))
                    return {passo, {}};
            } catch (const DatabaseError& e) {
                return {passo, QString::fromStdString(e.what())};
            }
        }
        return {};
    }

    // The day's rows in ID order, with their IDs or without.
    QStringList memorizzate(bool conID)
    {
        QStringList righe;
        for (const RigaTimbratura& r : db->TimbratureDelGiorno(kTerminale, kData)) {
            const QString riga = descrivi(r.Badge, r.Verso, r.Ora);
            righe << (conID ? QString::number(r.ID) + ' ' + riga : riga);
        }
        return righe;
    }

    // After the fault is lifted, the day stored again: exactly its punches, each once and in
    // line order (a punch stored before is replaced by one with the next ID), and the day's
    // text in its latest `file` row.
    void controllaRipresa(int righeFile)
    {
        const Memorizzazione ripresa = memorizza();
        EXPECT_EQ(ripresa.passo, QString()) << ripresa.messaggio.toStdString();
        EXPECT_EQ(memorizzate(false), attese(kTimbrature, false));
        EXPECT_EQ(db->ContaFile(), righeFile);
        EXPECT_EQ(db->TestoUltimoFile(kTerminale, kNome), QString::fromLatin1(contenutoDelGiorno()));
    }

    FixedClock orologio{QDate(2015, 12, 31)};
    LibreriaKavex kavex;
    std::unique_ptr<TracciatoRilevatore> tracciatoVero;
    std::unique_ptr<TracciatoConGuasto> tracciato;
    std::unique_ptr<ScaricoPRE> scarico;
};

#if !defined(ZENTAR_TEST_ENGINE_POSTGRESQL)

namespace {

void esegui(QSqlDatabase db, const QString& statement)
{
    QSqlQuery query(db);
    ASSERT_TRUE(query.exec(statement)) << statement.toStdString() << ": " << query.lastError().text().toStdString();
}

// SQLite allocates no page past the file's present size: the rows that still fit in the pages
// the tables and indexes have are stored, the first that needs a new page is refused.
void riempi(QSqlDatabase db)
{
    QSqlQuery query(db);
    ASSERT_TRUE(query.exec("PRAGMA page_count") && query.next());
    const int pagine = query.value(0).toInt();
    query.finish();
    ASSERT_TRUE(query.exec(QStringLiteral("PRAGMA max_page_count = %1").arg(pagine)) && query.next());
    ASSERT_EQ(query.value(0).toInt(), pagine);
}

void svuota(QSqlDatabase db) { esegui(db, "PRAGMA max_page_count = 1073741823"); }
void solaLettura(QSqlDatabase db) { esegui(db, "PRAGMA query_only = ON"); }
void scrivibile(QSqlDatabase db) { esegui(db, "PRAGMA query_only = OFF"); }

}  // namespace

TEST_F(ON_ENGINE(GuastiDatabase), ADayStoppedByAReadOnlyOrFullFileKeepsItsRowsAndIsCompletedAfterwards)
{
    const struct {
        const char* caso;
        std::optional<int> dopo;  // punches stored before the fault; none: before the download
        std::function<void(QSqlDatabase)> guasta, ripara;
        const char* passo;
        const char* messaggio;  // in the engine's text
        bool allaTimbratura;    // the fault stops the day at that very punch, not at a later page
    } casi[] = {
        {"read-only before the download", std::nullopt, solaLettura, scrivibile, "SalvaFile", "readonly", true},
        {"read-only after 150 punches", 150, solaLettura, scrivibile, "SalvaTimbrature", "readonly", true},
        {"full before the download", std::nullopt, riempi, svuota, "SalvaFile", "full", true},
        {"full after 150 punches", 150, riempi, svuota, "SalvaTimbrature", "full", false},
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.caso);
        // A fresh connection, and a file without the free pages of the case before.
        reopen();
        nuovoScarico();
        ASSERT_TRUE(db->VaiAlRilevatore(kTerminale));
        for (const char* statement : {"DELETE FROM timbrature", "DELETE FROM file", "VACUUM"})
            esegui(db->dbZentar(), statement);

        if (caso.dopo)
            tracciato->GuastoDopo(*caso.dopo, [&] { caso.guasta(db->dbZentar()); });
        else
            caso.guasta(db->dbZentar());
        const Memorizzazione guasto = memorizza();
        EXPECT_EQ(guasto.passo, caso.passo);
        EXPECT_TRUE(guasto.messaggio.contains(caso.messaggio)) << guasto.messaggio.toStdString();

        // Read while the fault lasts: what was stored before it is there, whole.
        const QStringList prima = memorizzate(true);
        const int stored = static_cast<int>(prima.size());
        if (caso.allaTimbratura)
            EXPECT_EQ(stored, caso.dopo.value_or(0));
        else
            EXPECT_TRUE(stored >= *caso.dopo && stored < kTimbrature) << stored << " punches stored";
        EXPECT_EQ(prima, attese(stored, true));
        EXPECT_EQ(db->ContaFile(), caso.dopo ? 1 : 0);

        caso.ripara(db->dbZentar());
        controllaRipresa(caso.dopo ? 2 : 1);
    }
}

#else

class GuastiDatabaseConServerFermato : public ON_ENGINE(GuastiDatabase) {
protected:
    void SetUp() override
    {
        if (!server.Definito())
            GTEST_SKIP() << "ZENTAR_PG_TMP names no cluster of scripts/pg-cluster to stop and start";
        ON_ENGINE(GuastiDatabase)::SetUp();
    }
    // The server runs again before the turn passes to another test.
    void TearDown() override
    {
        EXPECT_TRUE(server.Avvia());
        ON_ENGINE(GuastiDatabase)::TearDown();
    }

    ServerPostgreSQL server;
};

TEST_F(GuastiDatabaseConServerFermato, ADayStoppedByTheServersStopKeepsItsRowsAndTheSameModuleCompletesItOnceItRuns)
{
    tracciato->GuastoDopo(150, [&] { server.Ferma(); });
    const Memorizzazione guasto = memorizza();
    EXPECT_EQ(guasto.passo, "SalvaTimbrature");
    EXPECT_FALSE(guasto.messaggio.trimmed().isEmpty());

    // While the server is down every statement is refused, with the engine's message; the
    // terminal's row as the register last read it stays at hand, for leaving the terminal.
    EXPECT_THROW(db->ContaFile(), DatabaseError);
    EXPECT_THROW(db->LeggiRilevatore(kTerminale), DatabaseError);
    EXPECT_EQ(db->RilevatoreLetto(kTerminale).value("Pos_Cartellino").toString(), "7");
    EXPECT_TRUE(db->RilevatoreLetto(kTerminale + 1).value("Codice").isNull());
    ASSERT_TRUE(server.Avvia());

    // The data module opens its connection afresh: no restart of the program is needed.
    EXPECT_EQ(memorizzate(true), attese(150, true));
    EXPECT_EQ(db->ContaFile(), 1);
    EXPECT_EQ(db->TestoUltimoFile(kTerminale, kNome), QString::fromLatin1(contenutoDelGiorno()));
    controllaRipresa(2);
}

#endif
