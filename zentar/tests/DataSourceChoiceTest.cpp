// How the data module picks its engine: the ODBC data source "Zentar" when the driver manager
// knows one, the embedded database otherwise. Each test defines the data sources it needs in
// files of its own (user: ODBCINI, system: ODBCSYSINI).

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "DMDatabase.h"
#include "QtPrinters.h"
#include "TestApplication.h"

using namespace zentar;

namespace {

const char* const kPostgresDriver = "/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so";

class ScopedVariable {
public:
    ScopedVariable(const char* name, const QString& value) : name_(name), saved_(qgetenv(name)), had_(qEnvironmentVariableIsSet(name))
    {
        qputenv(name, value.toLocal8Bit());
    }
    ~ScopedVariable()
    {
        if (had_)
            qputenv(name_, saved_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    QByteArray saved_;
    bool had_;
};

class DataSourceChoice : public ::testing::Test {
protected:
    void SetUp() override
    {
        testApplication();
        ASSERT_TRUE(programFolder.isValid() && odbcFolder.isValid());
        writeUserSources("");
    }

    void writeUserSources(const QString& text)
    {
        QFile file(userIni);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text.toUtf8());
    }

    std::unique_ptr<TDMDatabase> open(MotoreDatabase motore, const QString& folder, QString* error)
    {
        return TDMDatabase::Apri(stato, {.cartellaProgramma = folder, .motore = motore}, error);
    }

    QString embeddedFile() const { return QDir(programFolder.path()).filePath("Zentar.db"); }

    QTemporaryDir programFolder;
    QTemporaryDir odbcFolder;
    QString userIni = QDir(odbcFolder.path()).filePath("odbc.ini");
    ScopedVariable user{"ODBCINI", userIni};
    ScopedVariable system{"ODBCSYSINI", odbcFolder.path()};  // no odbc.ini there: no system sources
    StatoTerminale stato{programFolder.path()};
};

}  // namespace

TEST_F(DataSourceChoice, WithoutAZentarSourceTheEmbeddedDatabaseIsOpened)
{
    writeUserSources(QStringLiteral("[Altro]\nDriver = %1\n").arg(kPostgresDriver));
    EXPECT_EQ(MotoreScelto(MotoreDatabase::Automatico), MotoreDatabase::SQLite);
    QString error;
    auto db = open(MotoreDatabase::Automatico, programFolder.path(), &error);
    ASSERT_NE(db, nullptr) << error.toStdString();
    EXPECT_EQ(db->dbZentar().driverName(), "QSQLITE");
    EXPECT_TRUE(QFileInfo::exists(embeddedFile()));
}

TEST_F(DataSourceChoice, DefinedSourceThatCannotBeOpenedIsReportedWithTheEnginesMessage)
{
    if (!QFileInfo::exists(kPostgresDriver))
        GTEST_SKIP() << "psqlODBC driver not installed";
    // The letter case of the name does not matter; the server's socket folder does not exist.
    writeUserSources(QStringLiteral("[zentar]\nDriver = %1\nServername = %2\nPort = 5432\nDatabase = zentar\n")
                         .arg(kPostgresDriver, QDir(odbcFolder.path()).filePath("no-server")));
    EXPECT_EQ(MotoreScelto(MotoreDatabase::Automatico), MotoreDatabase::ODBC);
    QString error;
    EXPECT_EQ(open(MotoreDatabase::Automatico, programFolder.path(), &error), nullptr);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(embeddedFile())) << "no silent fall-back to the embedded database";
    EXPECT_FALSE(QSqlDatabase::contains("Zentar")) << "nothing left behind";

    error.clear();
    EXPECT_NE(open(MotoreDatabase::SQLite, programFolder.path(), &error), nullptr) << error.toStdString();
}

TEST_F(DataSourceChoice, EmbeddedDatabaseThatCannotBeMadeIsReported)
{
    QString error;
    EXPECT_EQ(open(MotoreDatabase::SQLite, QDir(programFolder.path()).filePath("missing"), &error), nullptr);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QSqlDatabase::contains("Zentar"));
}

TEST_F(DataSourceChoice, OneDataModuleAtATime)
{
    QString error;
    auto first = open(MotoreDatabase::SQLite, programFolder.path(), &error);
    ASSERT_NE(first, nullptr) << error.toStdString();
    EXPECT_EQ(open(MotoreDatabase::SQLite, programFolder.path(), &error), nullptr);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(first->ProssimoCodice(), 0) << "the first one still works";
}
