#pragma once
// The list of the punch days a connected terminal holds: its directory, asked with a raw "DIR",
// turned into dates and shown in date order in the main window's check list.

#include <QStringList>

#include "Clock.h"
#include "Connessione.h"
#include "Viste.h"

namespace zentar {

class ElencoGiorni {
public:
    ElencoGiorni(GestoreConnessione& connessione, VistaElenco& vista, const Clock& orologio = systemClock());

    // Asks the terminal for its directory. When any line came, `elenco` is replaced by the
    // dates yyyy/mm/dd of the lines that begin "PRE", in arrival order. False, `elenco`
    // untouched, when "DIR" could not be sent (a message box said so).
    bool ElencoPRE(QStringList& elenco);

    // ElencoPRE into a new list, sorted, shown through FillCheckList as dd/mm/yyyy; the check
    // list is left as it was when "DIR" could not be sent.
    void AggiornaElenco();

private:
    GestoreConnessione& connessione_;
    VistaElenco& vista_;
    const Clock& orologio_;
};

}  // namespace zentar
