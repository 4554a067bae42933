#pragma once
// The tables rilevatori, file and timbrature and their indexes, in SQL that SQLite and
// PostgreSQL accept alike. Column names are quoted so that both engines keep their letter case
// and every statement and table model finds them by the same names.

#include <QSqlDatabase>

namespace zentar {

// Creates whatever table or index is missing. Throws DatabaseError with the engine's message.
void CreaTabelleMancanti(QSqlDatabase& db);

}  // namespace zentar
