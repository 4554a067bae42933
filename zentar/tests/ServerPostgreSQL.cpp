#include "ServerPostgreSQL.h"

#include <unistd.h>

#include <algorithm>

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

// The newest server under /usr/lib/postgresql, as scripts/pg-cluster picks it.
QString programmaPgCtl()
{
    QStringList versioni = QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versioni.begin(), versioni.end(), [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); });
    return versioni.isEmpty() ? QString() : QStringLiteral("/usr/lib/postgresql/%1/bin/pg_ctl").arg(versioni.back());
}

}  // namespace

ServerPostgreSQL::ServerPostgreSQL() : cartella_(QString::fromLocal8Bit(qgetenv("ZENTAR_PG_TMP"))) {}

ServerPostgreSQL::~ServerPostgreSQL() { Avvia(); }

bool ServerPostgreSQL::Definito() const
{
    return !cartella_.isEmpty() && QFileInfo::exists(QDir(cartella_).filePath(QStringLiteral("zentar-pg-cluster"))) &&
           QFileInfo::exists(QDir(cartella_).filePath(QStringLiteral("data")));
}

bool ServerPostgreSQL::Ferma()
{
    if (!fermo_ && pgCtl({"-m", "fast", "-w", "stop"}))
        fermo_ = true;
    return fermo_;
}

bool ServerPostgreSQL::Avvia()
{
    if (!fermo_)
        return true;
    const QString opzioni = QStringLiteral("-c listen_addresses='' -k %1 -p 5432 -c fsync=off").arg(cartella_);
    fermo_ = !pgCtl({"-l", QDir(cartella_).filePath(QStringLiteral("server.log")), "-w", "-t", "60", "-o", opzioni, "start"});
    return !fermo_;
}

bool ServerPostgreSQL::pgCtl(const QStringList& argomenti) const
{
    const QString pgCtl = programmaPgCtl();
    if (pgCtl.isEmpty()) {
        ADD_FAILURE() << "no PostgreSQL server under /usr/lib/postgresql";
        return false;
    }
    QStringList comando = QStringList{pgCtl, "-D", QDir(cartella_).filePath(QStringLiteral("data"))} + argomenti;
    // The server refuses to run as root.
    if (::geteuid() == 0)
        comando = QStringList{"setpriv", "--reuid=postgres", "--regid=postgres", "--init-groups", "--"} + comando;
    QProcess processo;
    processo.setProcessChannelMode(QProcess::MergedChannels);
    processo.start(comando.front(), comando.mid(1));
    const bool fatto = processo.waitForFinished(90000) && processo.exitStatus() == QProcess::NormalExit &&
                       processo.exitCode() == 0;
    EXPECT_TRUE(fatto) << comando.join(' ').toStdString() << "\n" << processo.readAll().toStdString();
    return fatto;
}
