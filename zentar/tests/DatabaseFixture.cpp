#include "DatabaseFixture.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlTableModel>

#include "TestApplication.h"
#include "TurnoPostgreSQL.h"

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

}  // namespace

void DatabaseTest::SetUp()
{
    testApplication();
    ASSERT_TRUE(programFolder.isValid());
    if (kOnPostgreSQL) {
        if (!TurnoPostgreSQL::Disponibile())
            GTEST_SKIP() << "ODBCINI not set: no PostgreSQL data source \"Zentar\" to test on";
        turno_ = std::make_unique<TurnoPostgreSQL>();
        turno_->Prendi();
        if (HasFatalFailure())
            return;
    }
    stato = std::make_unique<StatoTerminale>(programFolder.path());
    open();
}

void DatabaseTest::TearDown()
{
    db.reset();
    turno_.reset();
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
