#pragma once
// The tables rilevatori, file and timbrature and their indexes, in SQL that SQLite and
// PostgreSQL accept alike. Column names are quoted so that both engines keep their letter case
// and every statement and table model finds them by the same names.

#include <QSqlDatabase>
#include <QString>

namespace zentar {

enum class TipoColonna { Testo, Intero, Booleano, Sconosciuta };

// The kind of a column of rilevatori, by its name (letter case ignored).
TipoColonna TipoColonnaRilevatori(const QString& nome);

// Creates whatever table or index is missing. Throws DatabaseError with the engine's message.
void CreaTabelleMancanti(QSqlDatabase& db);

}  // namespace zentar
