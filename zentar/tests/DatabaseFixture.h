#pragma once
// A fresh data module for every test, on the engine this test program was built for:
// - SQLite: Zentar.db in a temporary program folder;
// - PostgreSQL: the ODBC data source "Zentar" of the throwaway cluster (ODBCINI), found the way
//   the program finds it; the tables are dropped first, and the tests of all processes take
//   turns through a file lock, since they share one database. Skipped when ODBCINI is not set.

#include <initializer_list>
#include <memory>
#include <utility>

#include <QSqlRecord>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "DMDatabase.h"
#include "QtPrinters.h"
#include "ScriptedDialogs.h"
#include "TerminalState.h"
#include "TurnoPostgreSQL.h"

#if defined(ZENTAR_TEST_ENGINE_POSTGRESQL)
#define ON_ENGINE(suite) suite##OnPostgreSQL
#else
#define ON_ENGINE(suite) suite##OnSQLite
#endif

class DatabaseTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Closes the data module and opens it again on the same database.
    void reopen();
    // A row of tblRilevatori that sets only the given columns (the others keep their defaults).
    QSqlRecord terminalRow(std::initializer_list<std::pair<const char*, QVariant>> values);
    // Adds a terminal through tblRilevatori and applies it.
    void addTerminal(int codice, const QString& descrizione, const QString& percorsoPRE = {});

    QTemporaryDir programFolder;
    std::unique_ptr<zentar::StatoTerminale> stato;
    std::unique_ptr<zentar::TDMDatabase> db;
    ScriptedDialogs dialogs;

private:
    void open();
    std::unique_ptr<TurnoPostgreSQL> turno_;
};
