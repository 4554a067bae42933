// bin/zentar-sync storing into a database that fails, against a terminal on a direct RS232 line
// of kavex-sim: Zentar.db that the run may only read, and a day that an earlier run left stored
// half-way (its `file` row and its first punches, as a refused row leaves it). Each time the
// next run, on a database that takes rows again, completes the day: its punches, none twice.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlQuery>

#include "InstallazioneSync.h"
#include "QtPrinters.h"
#include "RilevatoriDemo.h"
#include "SupportoE2E.h"
#include "SupportoSync.h"

using namespace zentar;

namespace {

constexpr int kCodice = 3;
constexpr int kNumeroLinea = 0;
constexpr int kPorta = 3;
constexpr int kGiorni = 4;
constexpr int kGrande = 1;  // the day stored half-way: not the latest one
constexpr int kTimbratureGrande = 40;
constexpr int kRimaste = 15;  // of its punches, those the earlier run stored
constexpr auto kLimite = 4min;

// Four days; the second holds kTimbratureGrande punches, each of its own badge and time.
std::vector<GiornoDiProva> giorniSulTerminale()
{
    std::vector<GiornoDiProva> giorni = GiorniDiProva(kCodice, kNumeroLinea, kGiorni);
    std::vector<TimbraturaDiProva>& grande = giorni[kGrande].timbrature;
    grande.clear();
    for (int j = 0; j < kTimbratureGrande; ++j)
        grande.push_back({.ora = QTime(6, 0, 0).addSecs(j * 61),
                          .verso = j % 2,
                          .badge = QString::number(30000000 + j).rightJustified(8, '0')});
    return giorni;
}

bool rendiAccessibile(const QString& percorso, QFile::Permissions permessi)
{
    return QFile::setPermissions(percorso, permessi);
}

constexpr QFile::Permissions kTuttiLeggono = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                             QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
constexpr QFile::Permissions kTuttiScrivono = kTuttiLeggono | QFile::WriteGroup | QFile::WriteOther;

}  // namespace

class SyncSuDatabaseGuasto : public ::testing::Test, protected InstallazioneSync {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Prepara());
        ASSERT_TRUE(terminale_.isValid());
        ASSERT_TRUE(ScriviGiorni(terminale_.path(), giorni));
        linea_ = std::make_unique<ProgrammaAvviato>(
            KAVEX_SIM, QStringList{"rs232", "--dir", porte(), "--port", QString::number(kPorta), "--files",
                                   terminale_.path()});
        ASSERT_EQ(linea_->primaRiga(), QStringLiteral("ready ") + porta()) << linea_->errori().toStdString();
        ASSERT_TRUE(registra({RilevatoreSullaLinea(kCodice, QStringLiteral("Reparto (linea)"), kPorta)}));
    }
    void TearDown() override
    {
        linea_.reset();
    }

    QString porta() const { return QDir(porte()).filePath(QStringLiteral("COM%1").arg(kPorta)); }

    Esito scarica() const { return sync({"download", QString::number(kCodice)}, kLimite); }

    // A run that may read Zentar.db and not write it: as root the file's mode does not stop a
    // write, so the run is made the unprivileged user nobody, who may use the program, the
    // line's pseudo-terminal, the destination folder and the lock file, and only read
    // Zentar.db; otherwise the file is made read-only for the run.
    Esito scaricaSenzaScrivere()
    {
        if (::geteuid() != 0) {
            EXPECT_TRUE(rendiAccessibile(database(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
            const Esito esito = scarica();
            EXPECT_TRUE(rendiAccessibile(database(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
            return esito;
        }
        const QString lock = percorso(QStringLiteral("bin/.zentar-sync-%1.lock").arg(kCodice));
        QFile(lock).open(QIODevice::WriteOnly);
        EXPECT_TRUE(QDir().mkpath(cartellaPRE(kCodice)));
        for (const QString& cartella : {radice(), cartellaProgramma(), porte()})
            EXPECT_TRUE(rendiAccessibile(cartella, kTuttiLeggono)) << cartella.toStdString();
        for (const QString& scrivibile : {cartellaPRE(kCodice), lock})
            EXPECT_TRUE(rendiAccessibile(scrivibile, kTuttiScrivono)) << scrivibile.toStdString();
        EXPECT_EQ(::chmod(QFile::encodeName(QFileInfo(porta()).canonicalFilePath()).constData(), 0666), 0);
        EXPECT_TRUE(rendiAccessibile(database(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
        return comeNobody({"download", QString::number(kCodice)});
    }
    Esito comeNobody(const QStringList& argomenti) const
    {
        return Esegui("setpriv", QStringList{"--reuid=nobody", "--regid=nogroup", "--clear-groups", "--", programma()} + argomenti,
                      radice(), kLimite);
    }
    // Whether nobody can start the program where it lies (the temporary folder's parents, the
    // libraries): without arguments it prints its usage and exits with 3.
    bool nobodyLoAvvia()
    {
        for (const QString& cartella : {radice(), cartellaProgramma()})
            rendiAccessibile(cartella, kTuttiLeggono);
        return comeNobody({}).codice == 3;
    }

    // The terminal's row, written by Zentar's own data module.

    // Every day whole: the file in the folder, its punches once each in line order, and the
    // latest `file` row of its name holding its text.
    void controllaGiorni()
    {
        const std::vector<RigaFile> file = FileSalvati(database(), kCodice);
        for (const GiornoDiProva& giorno : giorni) {
            SCOPED_TRACE(giorno.testo().toStdString());
            EXPECT_EQ(TimbratureSalvate(database(), kCodice, giorno.testo()), giorno.attese());
            const auto ultimo =
                std::find_if(file.rbegin(), file.rend(), [&](const RigaFile& r) { return r.NomeFile == giorno.nome(); });
            ASSERT_NE(ultimo, file.rend()) << "no row in file";
            EXPECT_EQ(ultimo->Blob, QString::fromLatin1(giorno.contenuto()));
        }
        EXPECT_EQ(Doppioni(database()), QStringList());
    }

    const std::vector<GiornoDiProva> giorni = giorniSulTerminale();

private:
    QTemporaryDir terminale_;
    std::unique_ptr<ProgrammaAvviato> linea_;
};

TEST_F(SyncSuDatabaseGuasto, AReadOnlyDatabaseReportsEachDayNotImportedWithTheEnginesMessageAndTheNextRunStoresThem)
{
    if (::geteuid() == 0 && !nobodyLoAvvia())
        GTEST_SKIP() << "the user nobody cannot run " << programma().toStdString() << " (a parent folder it may not enter?)";
    const Esito guasto = scaricaSenzaScrivere();
    EXPECT_EQ(guasto.codice, 1) << Racconta(guasto);
    const QStringList log = RegistroConDettagli(guasto);
    ASSERT_EQ(log.size(), 2 * kGiorni) << Racconta(guasto);
    for (int i = 0; i < kGiorni; ++i) {
        SCOPED_TRACE(giorni[i].testo().toStdString());
        EXPECT_EQ(log[2 * i], QStringLiteral("terminal %1 %2: not imported: SalvaFile failed").arg(kCodice).arg(giorni[i].testo()));
        EXPECT_TRUE(log[2 * i + 1].startsWith("  SalvaFile: ") && log[2 * i + 1].contains("readonly database"))
            << log[2 * i + 1].toStdString();
    }
    EXPECT_EQ(RiepilogoDi(guasto), "zentar-sync: 1 terminals, 0 days stored, 4 days not imported, 0 terminals not reached");
    EXPECT_EQ(FileSalvati(database(), kCodice).size(), 0u);

    const Esito ripresa = scarica();
    EXPECT_EQ(ripresa.codice, 0) << Racconta(ripresa);
    QStringList attesi;
    for (const GiornoDiProva& giorno : giorni)
        attesi << RigaMemorizzato(kCodice, giorno);
    EXPECT_EQ(RegistroConDettagli(ripresa), attesi) << Racconta(ripresa);
    controllaGiorni();
    EXPECT_EQ(FileSalvati(database(), kCodice).size(), static_cast<size_t>(kGiorni));
}

TEST_F(SyncSuDatabaseGuasto, ADayStoredHalfWayBeforeTheLatestStoredDayIsCompletedByTheNextRun)
{
    const Esito primo = scarica();
    ASSERT_EQ(primo.codice, 0) << Racconta(primo);
    controllaGiorni();
    // What a row refused part-way through the day leaves: the `file` row and the first punches.
    SuFileSQLite(database(), [&](QSqlDatabase& db) {
        QSqlQuery query(db);
        ASSERT_TRUE(query.prepare(R"(DELETE FROM timbrature WHERE "Terminale" = ? AND "Data" = ? AND "ID" > ?)"));
        query.addBindValue(kCodice);
        query.addBindValue(giorni[kGrande].testo());
        query.addBindValue(kRimaste);
        ASSERT_TRUE(query.exec());
        EXPECT_EQ(query.numRowsAffected(), kTimbratureGrande - kRimaste);
    });
    const std::vector<RigaFile> filePrima = FileSalvati(database(), kCodice);

    const Esito secondo = scarica();
    EXPECT_EQ(secondo.codice, 0) << Racconta(secondo);
    EXPECT_EQ(RegistroConDettagli(secondo),
              QStringList({RigaMemorizzato(kCodice, giorni[kGrande]), RigaMemorizzato(kCodice, giorni.back())}))
        << Racconta(secondo);
    controllaGiorni();
    EXPECT_EQ(FileSalvati(database(), kCodice).size(), filePrima.size()) << "the same texts add no file row";

    // Whole now: the run after takes the latest day only.
    const Esito terzo = scarica();
    EXPECT_EQ(terzo.codice, 0) << Racconta(terzo);
    EXPECT_EQ(RegistroConDettagli(terzo), QStringList({RigaMemorizzato(kCodice, giorni.back())})) << Racconta(terzo);
}
