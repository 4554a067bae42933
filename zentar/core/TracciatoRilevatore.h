#pragma once
// The layout of the selected terminal, read from its own row of tblRilevatori (whichever row
// the register's windows stand on). An empty parameter is offered its default through a message
// box; an accepted default is written to that row and applied to the database at once, so it is
// not asked again. Without a selected terminal every parameter is unset and nothing is asked.

#include "DMDatabase.h"
#include "DialogService.h"
#include "Tracciato.h"

namespace zentar {

class TracciatoRilevatore final : public FonteTracciato {
public:
    TracciatoRilevatore(TDMDatabase& database, DialogService& dialogs) : database_(database), dialogs_(dialogs) {}

    std::optional<QString> ParametroTracciato(CampoTracciato campo, int predefinito) override;

private:
    TDMDatabase& database_;
    DialogService& dialogs_;
};

// The question asked for an empty parameter.
QString DomandaParametroMancante(CampoTracciato campo);

}  // namespace zentar
