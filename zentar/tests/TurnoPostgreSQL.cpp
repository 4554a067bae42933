#include "TurnoPostgreSQL.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <gtest/gtest.h>

namespace {

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

TurnoPostgreSQL::~TurnoPostgreSQL()
{
    if (lockFd_ >= 0)
        ::close(lockFd_);  // releases the lock
}

bool TurnoPostgreSQL::Disponibile() { return !qEnvironmentVariableIsEmpty("ODBCINI"); }

void TurnoPostgreSQL::Prendi()
{
    lockFd_ = ::open(lockPath().toLocal8Bit().constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(lockFd_, 0) << "cannot open " << lockPath().toStdString();
    ASSERT_EQ(::flock(lockFd_, LOCK_EX), 0);
    dropTables();
}
