#include "DataSource.h"

#include <QDir>
#include <QFile>
#include <QSqlError>

#include "OdbcDataSources.h"

namespace zentar {

namespace {

QSqlDatabase addConnection(MotoreDatabase motore, const QString& cartellaProgramma)
{
    if (motore == MotoreDatabase::ODBC) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), kNomeConnessione);
        db.setDatabaseName(kNomeConnessione);  // the data source name; its settings give the login
        return db;
    }
    const QString file = QDir(cartellaProgramma).filePath(QStringLiteral("Zentar.db"));
    // SQLite would make a new database writable by its owner alone (0644), and gives its
    // journals the database's permissions: made here, the file's permissions follow the umask,
    // so that an installation shared by a group of operators stays writable by all of them.
    // When it cannot be made, opening reports why.
    QFile(file).open(QIODevice::WriteOnly | QIODevice::NewOnly);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kNomeConnessione);
    db.setDatabaseName(file);
    return db;
}

}  // namespace

MotoreDatabase MotoreScelto(MotoreDatabase richiesto)
{
    if (richiesto != MotoreDatabase::Automatico)
        return richiesto;
    return OrigineDatiOdbcDefinita(kNomeConnessione) ? MotoreDatabase::ODBC : MotoreDatabase::SQLite;
}

std::optional<QString> ApriConnessione(MotoreDatabase motore, const QString& cartellaProgramma)
{
    if (QSqlDatabase::contains(kNomeConnessione))
        return QStringLiteral("La connessione \"Zentar\" è già aperta");
    QString error;
    {
        QSqlDatabase db = addConnection(MotoreScelto(motore), cartellaProgramma);
        if (db.open())
            return std::nullopt;
        error = db.lastError().text();
    }
    QSqlDatabase::removeDatabase(kNomeConnessione);
    return error;
}

void ChiudiConnessione()
{
    {
        QSqlDatabase db = QSqlDatabase::database(kNomeConnessione, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(kNomeConnessione);
}

}  // namespace zentar
