#include "SelezioneRilevatore.h"

namespace zentar {

SelezioneRilevatore::SelezioneRilevatore(TDMDatabase& database, StatoTerminale& stato,
                                         GestoreConnessione& connessione, VistaSelezione& vista,
                                         DialogService& dialoghi)
    : database_(database), stato_(stato), connessione_(connessione), vista_(vista), dialoghi_(dialoghi)
{
}

EsitoSelezione SelezioneRilevatore::Seleziona(int codice)
{
    if (codice == 0) {
        dialoghi_.message(MessageKind::Information, QStringLiteral("Selezionare Un Terminale"), MessageButtons::Ok);
        return EsitoSelezione::NessunTerminale;
    }
    if (stato_.CodiceTerminale != 0)
        connessione_.DisconnettiTerminale(stato_.CodiceTerminale);
    stato_.CodiceTerminale = codice;
    vista_.SvuotaElenco();

    const EsitoSelezione esito = SelezionaTerminale(database_, stato_, codice);
    if (esito == EsitoSelezione::CartellaNonCreata) {
        dialoghi_.message(MessageKind::Warning,
                          QStringLiteral("Impossibile Creare la Cartella di Destinazione\rNon Scaricare Nessuna "
                                         "Timbratura"),
                          MessageButtons::Ok);
    }
    vista_.Check_CodiceTerminale();
    return esito;
}

}  // namespace zentar
