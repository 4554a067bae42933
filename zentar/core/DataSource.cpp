#include "DataSource.h"

#include <QDir>
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
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kNomeConnessione);
    db.setDatabaseName(QDir(cartellaProgramma).filePath(QStringLiteral("Zentar.db")));
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
