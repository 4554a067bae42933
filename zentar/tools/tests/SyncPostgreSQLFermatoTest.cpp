// bin/zentar-sync on the ODBC data source "Zentar" of the throwaway PostgreSQL cluster, whose
// server is stopped while a day's punches are being stored and started again after the run;
// the next run completes the day. The stop point is fixed: a trigger of the test makes the
// insert of the day's chosen punch wait on an advisory lock the test holds, and the server is
// stopped once that insert waits, so the punches before it, and no other, are stored.
#include <memory>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

#include "DMDatabase.h"
#include "InstallazioneSync.h"
#include "QtPrinters.h"
#include "RilevatoriDemo.h"
#include "ServerPostgreSQL.h"
#include "SupportoE2E.h"
#include "SupportoSync.h"
#include "TurnoPostgreSQL.h"

using namespace zentar;

namespace {

// The tests' data source, read before AmbienteDiProva hides every data source from the
// programs of the other tests.
const QByteArray kOdbcIni = qgetenv("ODBCINI");

constexpr int kCodice = 3;
constexpr int kNumeroLinea = 0;
constexpr int kPorta = 3;
constexpr int kGiorni = 4;
constexpr int kGrande = 1;  // the day the server stops in
constexpr int kTimbratureGrande = 40;
constexpr int kMemorizzatePrima = 15;  // its punches stored before the stop
constexpr int kBloccoConsultivo = 74211;
constexpr auto kLimite = 4min;

// Four days; the second holds kTimbratureGrande punches, each of its own badge and time.
std::vector<GiornoDiProva> giorniSulTerminale()
{
    std::vector<GiornoDiProva> giorni = GiorniDiProva(kCodice, kNumeroLinea, kGiorni);
    std::vector<TimbraturaDiProva>& grande = giorni[kGrande].timbrature;
    grande.clear();
    for (int j = 0; j < kTimbratureGrande; ++j)
        grande.push_back({.ora = QTime(7, 0, 0).addSecs(j * 67),
                          .verso = j % 2,
                          .badge = QString::number(40000000 + j).rightJustified(8, '0')});
    return giorni;
}

// A connection of the test to the data source, beside the program's.
class ConnessioneDiProva {
public:
    ConnessioneDiProva()
    {
        db_ = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), kNome);
        db_.setDatabaseName(QStringLiteral("Zentar"));
        EXPECT_TRUE(db_.open()) << db_.lastError().text().toStdString();
    }
    ~ConnessioneDiProva()
    {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(kNome);
    }
    ConnessioneDiProva(const ConnessioneDiProva&) = delete;
    ConnessioneDiProva& operator=(const ConnessioneDiProva&) = delete;

    bool esegui(const QString& statement)
    {
        QSqlQuery query(db_);
        const bool fatto = query.exec(statement);
        EXPECT_TRUE(fatto) << statement.toStdString() << ": " << query.lastError().text().toStdString();
        return fatto;
    }
    // The first column of the first row, -1 when the statement fails.
    int numero(const QString& statement)
    {
        QSqlQuery query(db_);
        return query.exec(statement) && query.next() ? query.value(0).toInt() : -1;
    }

private:
    static constexpr const char* kNome = "zentar-test-controllo";
    QSqlDatabase db_;
};

}  // namespace

class SyncSuPostgreSQLFermato : public ::testing::Test, protected InstallazioneSync {
protected:
    void SetUp() override
    {
        if (kOdbcIni.isEmpty())
            GTEST_SKIP() << "ODBCINI not set: no PostgreSQL data source \"Zentar\" to test on";
        if (!server_.Definito())
            GTEST_SKIP() << "ZENTAR_PG_TMP names no cluster of scripts/pg-cluster to stop and start";
        AmbienteDiProva();
        qputenv("ODBCINI", kOdbcIni);
        qunsetenv("ODBCSYSINI");
        turno_.Prendi();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(Prepara());
        ASSERT_TRUE(terminale_.isValid());
        ASSERT_TRUE(ScriviGiorni(terminale_.path(), giorni));
        linea_ = std::make_unique<ProgrammaAvviato>(
            KAVEX_SIM, QStringList{"rs232", "--dir", porte(), "--port", QString::number(kPorta), "--files",
                                   terminale_.path()});
        ASSERT_EQ(linea_->primaRiga(), QStringLiteral("ready ") + QDir(porte()).filePath("COM3"))
            << linea_->errori().toStdString();
        // The program, and so the registration, takes the PostgreSQL data source.
        ASSERT_EQ(MotoreScelto(MotoreDatabase::Automatico), MotoreDatabase::ODBC);
        ASSERT_TRUE(registra({RilevatoreSullaLinea(kCodice, QStringLiteral("Reparto (linea)"), kPorta)}));
    }
    // The server runs again before the turn passes to another test.
    void TearDown() override
    {
        EXPECT_TRUE(server_.Avvia());
        linea_.reset();
    }

    Esito scarica() const { return sync({"download", QString::number(kCodice)}, kLimite); }


    // The punches stored for a day, "badge direction hh.mm.ss" in ID order, read by Zentar's
    // data module; and whether every day's latest `file` row holds its text.
    struct Letto {
        std::vector<QStringList> timbrature;
        std::vector<bool> testoUguale;
    };
    Letto leggi()
    {
        const StatoTerminale stato(cartellaProgramma());
        QString errore;
        const auto db = ApriDatabase(stato, &errore);
        EXPECT_NE(db, nullptr) << errore.toStdString();
        Letto letto;
        for (const GiornoDiProva& giorno : giorni) {
            QStringList salvate;
            for (const RigaTimbratura& r : db ? db->TimbratureDelGiorno(kCodice, giorno.testo()) : std::vector<RigaTimbratura>{})
                salvate << QStringLiteral("%1 %2 %3").arg(r.Badge).arg(r.Verso).arg(r.Ora);
            letto.timbrature.push_back(salvate);
            letto.testoUguale.push_back(db && db->TestoUltimoFile(kCodice, giorno.nome()) ==
                                                  QString::fromLatin1(giorno.contenuto()));
        }
        return letto;
    }

    std::unique_ptr<ProgrammaAvviato> avviaScarico() const
    {
        return avviaSync({"download", QString::number(kCodice)});
    }

    const std::vector<GiornoDiProva> giorni = giorniSulTerminale();
    TurnoPostgreSQL turno_;    // let go after the server runs again
    ServerPostgreSQL server_;  // runs again when it goes

private:
    QTemporaryDir terminale_;
    std::unique_ptr<ProgrammaAvviato> linea_;
};

TEST_F(SyncSuPostgreSQLFermato, TheServerStoppedInADayLeavesItsFirstPunchesAndTheNextRunCompletesIt)
{
    {
        ConnessioneDiProva controllo;
        ASSERT_TRUE(controllo.esegui(QStringLiteral("SELECT pg_advisory_lock(%1)").arg(kBloccoConsultivo)));
        ASSERT_TRUE(controllo.esegui(QStringLiteral(R"(
            CREATE OR REPLACE FUNCTION zentar_prova_attesa() RETURNS trigger LANGUAGE plpgsql AS $$
            BEGIN
                IF NEW."Terminale" = %1 AND NEW."Data" = '%2'
                   AND (SELECT count(*) FROM timbrature WHERE "Terminale" = %1 AND "Data" = '%2') = %3 THEN
                    PERFORM pg_advisory_lock(%4);
                END IF;
                RETURN NEW;
            END $$)")
                                             .arg(kCodice)
                                             .arg(giorni[kGrande].testo())
                                             .arg(kMemorizzatePrima + 1)
                                             .arg(kBloccoConsultivo)));
        ASSERT_TRUE(controllo.esegui(QStringLiteral(
            "CREATE TRIGGER zentar_prova_attesa AFTER INSERT ON timbrature FOR EACH ROW EXECUTE FUNCTION zentar_prova_attesa()")));

        const std::unique_ptr<ProgrammaAvviato> run = avviaScarico();
        const bool inAttesa = AttendiFinche(
            [&] {
                return controllo.numero(QStringLiteral("SELECT count(*) FROM pg_stat_activity"
                                                       " WHERE wait_event_type = 'Lock' AND wait_event = 'advisory'")) == 1 ||
                       !run->inEsecuzione();
            },
            kLimite);
        ASSERT_TRUE(inAttesa && run->inEsecuzione()) << "the run did not reach the chosen punch:\n" << run->errori().toStdString();
        ASSERT_TRUE(server_.Ferma());
        const Esito guasto = run->attendiFine(kLimite);
        EXPECT_EQ(guasto.codice, 1) << Racconta(guasto);
        const QStringList log = RegistroConDettagli(guasto);
        ASSERT_EQ(log.size(), 7) << Racconta(guasto);
        EXPECT_EQ(log[0], RigaMemorizzato(kCodice, giorni[0]));
        EXPECT_EQ(log[1], RigaNonImportato(kCodice, giorni[kGrande], "SalvaTimbrature"));
        EXPECT_TRUE(log[2].startsWith("  SalvaTimbrature: ") && log[2].size() > 20) << log[2].toStdString();
        // The server is still down: the days after it are refused at once, and the terminal is
        // left and the run ends as after any failed day.
        for (int i = 2; i < kGiorni; ++i) {
            EXPECT_EQ(log[2 * i - 1], RigaNonImportato(kCodice, giorni[i], "SalvaFile"));
            EXPECT_TRUE(log[2 * i].startsWith("  SalvaFile: ")) << log[2 * i].toStdString();
        }
        const QStringList uscita = Righe(guasto.uscita);
        EXPECT_EQ(uscita.isEmpty() ? QString() : uscita.back(),
                  "zentar-sync: 1 terminals, 1 days stored, 3 days not imported, 0 terminals not reached");
    }
    ASSERT_TRUE(server_.Avvia());
    {
        ConnessioneDiProva controllo;
        ASSERT_TRUE(controllo.esegui("DROP TRIGGER zentar_prova_attesa ON timbrature"));
    }
    const Letto dopoGuasto = leggi();
    EXPECT_EQ(dopoGuasto.timbrature[0], giorni[0].attese());
    EXPECT_EQ(dopoGuasto.timbrature[kGrande], giorni[kGrande].attese().mid(0, kMemorizzatePrima));
    EXPECT_EQ(dopoGuasto.testoUguale, std::vector<bool>({true, true, false, false}));

    const Esito ripresa = scarica();
    EXPECT_EQ(ripresa.codice, 0) << Racconta(ripresa);
    EXPECT_EQ(RegistroConDettagli(ripresa), QStringList({RigaMemorizzato(kCodice, giorni[kGrande]),
                                                     RigaMemorizzato(kCodice, giorni[2]), RigaMemorizzato(kCodice, giorni[3])}))
        << Racconta(ripresa);
    const Letto completo = leggi();
    for (int i = 0; i < kGiorni; ++i) {
        SCOPED_TRACE(giorni[i].testo().toStdString());
        EXPECT_EQ(completo.timbrature[i], giorni[i].attese());
        EXPECT_TRUE(completo.testoUguale[i]);
    }
}
