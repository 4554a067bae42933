#pragma once
// The punch layout: where the fields of a punch line lie. Each terminal keeps its own layout
// as decimal texts in its rilevatori row; positions count from 0, lengths are characters.

#include <optional>

#include <QString>

namespace zentar {

// The layout parameters that cutting a punch line reads.
enum class CampoTracciato { Pos_Ora, Len_Ora, Pos_Verso, Pos_Cartellino, Len_Cartellino };

// The rilevatori column holding the parameter ("Pos_Ora").
QString nomeColonna(CampoTracciato campo);

// The name shown to the operator when the parameter is missing ("ePos_Ora").
QString nomeMostrato(CampoTracciato campo);

// The value offered when the parameter is empty: time at 0 for 6 characters, direction at 6,
// badge at 7 for 8 characters.
int valorePredefinito(CampoTracciato campo);

// Where the layout of the selected terminal is read from.
class FonteTracciato {
public:
    virtual ~FonteTracciato() = default;

    // The parameter's text; when it is empty the operator may accept `predefinito` instead
    // (which is then stored). Nothing when the parameter stays unset.
    virtual std::optional<QString> ParametroTracciato(CampoTracciato campo, int predefinito) = 0;
};

}  // namespace zentar
