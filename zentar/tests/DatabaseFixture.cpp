#include "DatabaseFixture.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlTableModel>

#include "TestApplication.h"

using namespace zentar;

namespace {

#if defined(ZENTAR_TEST_ENGINE_POSTGRESQL)
constexpr bool kOnPostgreSQL = true;
constexpr MotoreDatabase kEngine = MotoreDatabase::Automatico;  // found through the data source
const char* const kExpectedDriver = "QODBC";
#else
constexpr bool kOnPostgreSQL = false;
constexpr MotoreDatabase kEngine = MotoreDatabase::SQLite;  // even when a cluster is defined
const char* const kExpectedDriver = "QSQLITE";
#endif

QString lockPath()
{
    const QByteArray tmp = qgetenv("ZENTAR_PG_TMP");
    const QString folder = tmp.isEmpty() ? QFileInfo(QString::fromLocal8Bit(qgetenv("ODBCINI"))).absolutePath()
                                         : QString::fromLocal8Bit(tmp);
    return QDir(folder).filePath("zentar-db-tests.lock");
}

void dropTables()
{
    const QString name = QStringLiteral("zentar-test-cleanup");
    {
        QSqlDatabase cleanup = QSqlDatabase::addDatabase("QODBC", name);
        cleanup.setDatabaseName("Zentar");
        ASSERT_TRUE(cleanup.open()) << cleanup.lastError().text().toStdString();
        QSqlQuery query(cleanup);
        for (const char* table : {"timbrature", "file", "rilevatori"})
            ASSERT_TRUE(query.exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(table)));
    }
    QSqlDatabase::removeDatabase(name);
}

}  // namespace

void DatabaseTest::SetUp()
{
    testApplication();
    ASSERT_TRUE(programFolder.isValid());
    if (kOnPostgreSQL) {
        if (qEnvironmentVariableIsEmpty("ODBCINI"))
            GTEST_SKIP() << "ODBCINI not set: no PostgreSQL data source \"Zentar\" to test on";
        lockFd_ = ::open(lockPath().toLocal8Bit().constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        ASSERT_GE(lockFd_, 0) << "cannot open " << lockPath().toStdString();
        ASSERT_EQ(::flock(lockFd_, LOCK_EX), 0);
        dropTables();
        if (HasFatalFailure())
            return;
    }
    stato = std::make_unique<StatoTerminale>(programFolder.path());
    open();
}

void DatabaseTest::TearDown()
{
    db.reset();
    if (lockFd_ >= 0)
        ::close(lockFd_);  // releases the lock
}

void DatabaseTest::open()
{
    QString error;
    db = TDMDatabase::Apri(*stato, {.cartellaProgramma = programFolder.path(), .motore = kEngine}, &error);
    ASSERT_NE(db, nullptr) << error.toStdString();
    ASSERT_EQ(db->dbZentar().driverName(), kExpectedDriver);
}

void DatabaseTest::reopen()
{
    db.reset();
    open();
}

QSqlRecord DatabaseTest::terminalRow(std::initializer_list<std::pair<const char*, QVariant>> values)
{
    QSqlRecord row = db->tblRilevatori()->record();
    for (int i = 0; i < row.count(); ++i)
        row.setGenerated(i, false);
    for (const auto& [column, value] : values) {
        row.setValue(column, value);
        row.setGenerated(column, true);
    }
    return row;
}

void DatabaseTest::addTerminal(int codice, const QString& descrizione, const QString& percorsoPRE)
{
    ASSERT_TRUE(db->tblRilevatori()->insertRecord(
        -1, terminalRow({{"Codice", codice}, {"Descrizione", descrizione}, {"PercorsoPRE", percorsoPRE}})));
    db->ApplicaRilevatori();
}
