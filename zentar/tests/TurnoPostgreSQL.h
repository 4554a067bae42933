#pragma once
// The PostgreSQL data source "Zentar" of the throwaway cluster is shared by every test process:
// a test takes its turn through a file lock and starts from a database without tables.

#include <QString>

class TurnoPostgreSQL {
public:
    TurnoPostgreSQL() = default;
    ~TurnoPostgreSQL();
    TurnoPostgreSQL(const TurnoPostgreSQL&) = delete;
    TurnoPostgreSQL& operator=(const TurnoPostgreSQL&) = delete;

    // Whether a data source is defined for the tests (ODBCINI set).
    static bool Disponibile();
    // Waits for the turn and drops the three tables. Reports failures through gtest.
    void Prendi();

private:
    int lockFd_ = -1;
};
