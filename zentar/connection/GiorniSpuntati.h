#pragma once
// What the main window's buttons "Scarica" and "Elimina" do with the ticked days: each day on
// its own, a failed day never stopping the following ones, a summary at the end, then the
// buttons disabled and the list asked again.

#include <optional>

#include <QStringList>

#include "DialogService.h"
#include "ElencoGiorni.h"
#include "ScaricoPRE.h"
#include "Viste.h"

namespace zentar {

class GiorniSpuntati {
public:
    GiorniSpuntati(ScaricoPRE& scarico, ElencoGiorni& elenco, VistaElenco& vista, DialogService& dialoghi);

    // After the operator's OK, downloads and stores each ticked day (dd/mm/yyyy, top to
    // bottom); with `eliminaScaricati` each fully stored day is then deleted on the terminal.
    // The number of days not imported; nothing when the operator cancelled.
    std::optional<int> Scarica(const QStringList& giorni, bool eliminaScaricati);

    // After the operator's OK, deletes each ticked day's file on the terminal; the database is
    // not touched. The number of files not deleted; nothing when the operator cancelled.
    std::optional<int> Elimina(const QStringList& giorni);

private:
    void concludi();

    ScaricoPRE& scarico_;
    ElencoGiorni& elenco_;
    VistaElenco& vista_;
    DialogService& dialoghi_;
};

}  // namespace zentar
