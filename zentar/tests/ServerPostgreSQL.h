#pragma once
// The throwaway cluster of scripts/pg-cluster (named by ZENTAR_PG_TMP), stopped and started
// again by a test in the middle of its work. Only a test that holds its TurnoPostgreSQL and
// runs alone (RUN_SERIAL) may do so; the server runs again, at the latest, when this object
// goes, which must come before the turn is let go.

#include <QString>
#include <QStringList>

class ServerPostgreSQL {
public:
    ServerPostgreSQL();
    ~ServerPostgreSQL();
    ServerPostgreSQL(const ServerPostgreSQL&) = delete;
    ServerPostgreSQL& operator=(const ServerPostgreSQL&) = delete;

    // Whether ZENTAR_PG_TMP names a cluster made by scripts/pg-cluster.
    bool Definito() const;
    // pg_ctl stop in fast mode: the sessions are ended, their open transactions rolled back.
    // Reports failures through gtest.
    bool Ferma();
    // Started as scripts/pg-cluster starts it, on the Unix socket of its folder only; true at
    // once when it runs.
    bool Avvia();

private:
    bool pgCtl(const QStringList& argomenti) const;

    QString cartella_;
    bool fermo_ = false;
};
