#pragma once
// Choosing the terminal the application works with, as the terminal chooser and the console's
// list do: the previous terminal is let go, the new one's row made current, its destination
// folder made, and the windows told.

#include "Connessione.h"
#include "DMDatabase.h"
#include "DialogService.h"
#include "TerminalSelection.h"
#include "TerminalState.h"
#include "Viste.h"

namespace zentar {

class SelezioneRilevatore {
public:
    SelezioneRilevatore(TDMDatabase& database, StatoTerminale& stato, GestoreConnessione& connessione,
                        VistaSelezione& vista, DialogService& dialoghi);

    // Selects the terminal `codice` (the key of the clicked entry, 0 for none). With 0 only
    // "Selezionare Un Terminale" is shown. A folder that cannot be made leaves no terminal
    // selected, says so, and the windows show it.
    EsitoSelezione Seleziona(int codice);

private:
    TDMDatabase& database_;
    StatoTerminale& stato_;
    GestoreConnessione& connessione_;
    VistaSelezione& vista_;
    DialogService& dialoghi_;
};

}  // namespace zentar
