#pragma once
// Whether a punch day stored by an earlier download is stored in full.

#include <QString>

#include "DMDatabase.h"
#include "Tracciato.h"

namespace zentar {

// True when every line of the day's latest `file` text, cut by the terminal's layout, has its
// punch in timbrature. A store that stopped half-way (the database refused a row, or a line
// could not be cut) leaves its `file` row and the punches before that point: false then, and
// false when the day has no `file` row. `data` is the day as dd/mm/yyyy, `nome` its PREymmdd.
bool MemorizzatoPerIntero(TDMDatabase& database, FonteTracciato& tracciato, int terminale, const QString& nome,
                          const QString& data);

}  // namespace zentar
