#include "Tracciato.h"

namespace zentar {

QString nomeColonna(CampoTracciato campo)
{
    switch (campo) {
    case CampoTracciato::Pos_Ora: return QStringLiteral("Pos_Ora");
    case CampoTracciato::Len_Ora: return QStringLiteral("Len_Ora");
    case CampoTracciato::Pos_Verso: return QStringLiteral("Pos_Verso");
    case CampoTracciato::Pos_Cartellino: return QStringLiteral("Pos_Cartellino");
    case CampoTracciato::Len_Cartellino: return QStringLiteral("Len_Cartellino");
    }
    return {};
}

QString nomeMostrato(CampoTracciato campo)
{
    return QLatin1Char('e') + nomeColonna(campo);
}

int valorePredefinito(CampoTracciato campo)
{
    switch (campo) {
    case CampoTracciato::Pos_Ora: return 0;
    case CampoTracciato::Len_Ora: return 6;
    case CampoTracciato::Pos_Verso: return 6;
    case CampoTracciato::Pos_Cartellino: return 7;
    case CampoTracciato::Len_Cartellino: return 8;
    }
    return 0;
}

}  // namespace zentar
