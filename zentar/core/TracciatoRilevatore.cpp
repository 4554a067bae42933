#include "TracciatoRilevatore.h"

namespace zentar {

QString DomandaParametroMancante(CampoTracciato campo)
{
    return QStringLiteral("Parametro \"%1\" Non Impostato\r\nUtilizzare il Valore di Default ?").arg(nomeMostrato(campo));
}

std::optional<QString> TracciatoRilevatore::ParametroTracciato(CampoTracciato campo, int predefinito)
{
    const QString testo = database_.CampoSelezionato(nomeColonna(campo)).toString();
    if (!testo.isEmpty())
        return testo;
    // Without a selected terminal there is no layout, nor a row to store a default in.
    if (!database_.RilevatoreSelezionato())
        return std::nullopt;
    if (dialogs_.message(MessageKind::Error, DomandaParametroMancante(campo), MessageButtons::OkCancel) != Answer::Ok)
        return std::nullopt;
    const QString valore = QString::number(predefinito);
    database_.ScriviCampoSelezionato(nomeColonna(campo), valore);
    return valore;
}

}  // namespace zentar
