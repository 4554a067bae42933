#include "TerminalSelection.h"

namespace zentar {

EsitoSelezione SelezionaTerminale(TDMDatabase& database, StatoTerminale& stato, int codice)
{
    if (codice == 0)
        return EsitoSelezione::NessunTerminale;
    stato.CodiceTerminale = codice;
    const QString percorsoPRE =
        database.VaiAlRilevatore(codice) ? database.CampoCorrente(QStringLiteral("PercorsoPRE")).toString() : QString();
    const QString cartella = stato.CartellaDestinazione(percorsoPRE, codice);
    if (CreaCartella(cartella)) {
        stato.CartellaPRE = cartella;
        stato.DescrizioneTerminale = database.LeggiDescrizione(codice);
    } else {
        stato.CodiceTerminale = 0;
    }
    stato.TerminaleAttivo = stato.CodiceTerminale;
    return stato.CodiceTerminale != 0 ? EsitoSelezione::Selezionato : EsitoSelezione::CartellaNonCreata;
}

}  // namespace zentar
