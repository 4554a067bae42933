#pragma once
// The connection "Zentar": through the ODBC data source "Zentar" when one is defined,
// otherwise the embedded SQLite database Zentar.db in the program's folder.

#include <optional>

#include <QSqlDatabase>
#include <QString>

namespace zentar {

enum class MotoreDatabase {
    Automatico,  // ODBC when the data source "Zentar" is defined, SQLite otherwise
    SQLite,
    ODBC,
};

inline const QString kNomeConnessione = QStringLiteral("Zentar");

// The engine that Automatico stands for on this machine now.
MotoreDatabase MotoreScelto(MotoreDatabase richiesto);

// Opens the connection "Zentar" on the engine. On failure nothing stays registered and the
// result is the engine's message; on success the result is empty.
std::optional<QString> ApriConnessione(MotoreDatabase motore, const QString& cartellaProgramma);

// Closes the connection "Zentar" and forgets it. Every query and model on it must be gone.
void ChiudiConnessione();

}  // namespace zentar
