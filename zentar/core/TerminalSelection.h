#pragma once
// Selecting a terminal: the steps that move the current row and set the shared state. The
// window disconnects the previous terminal before, and shows the messages and refreshes the
// other windows after.

#include "DMDatabase.h"
#include "TerminalState.h"

namespace zentar {

enum class EsitoSelezione {
    Selezionato,        // the terminal is selected and its destination folder exists
    NessunTerminale,    // the code was 0: nothing changed ("Selezionare Un Terminale")
    CartellaNonCreata,  // its folder could not be made: no terminal is selected now
};

// Makes the terminal's row current, creates its destination folder (one level) and sets
// CodiceTerminale, CartellaPRE, DescrizioneTerminale and TerminaleAttivo together. When the
// folder cannot be made both codes become 0 and the previous folder and description stay.
EsitoSelezione SelezionaTerminale(TDMDatabase& database, StatoTerminale& stato, int codice);

}  // namespace zentar
