#include "ElencoGiorni.h"

#include "DateText.h"
#include "NomePRE.h"

namespace zentar {

ElencoGiorni::ElencoGiorni(GestoreConnessione& connessione, VistaElenco& vista, const Clock& orologio)
    : connessione_(connessione), vista_(vista), orologio_(orologio)
{
}

bool ElencoGiorni::ElencoPRE(QStringList& elenco)
{
    if (!connessione_.InviaComando(QStringLiteral("DIR"), true))
        return false;
    const QStringList righe = connessione_.LeggiRisposte();
    if (!righe.isEmpty()) {
        elenco.clear();
        // The date is read from characters 4 to 8 of the line: the size after the name is not.
        for (const QString& riga : righe) {
            if (IsNomePRE(riga))
                elenco << DataOrdinabile(DataDaNomePRE(riga, orologio_));
        }
    }
    return true;
}

void ElencoGiorni::AggiornaElenco()
{
    QStringList elenco;
    if (!ElencoPRE(elenco))
        return;
    elenco.sort();
    QStringList giorni;
    for (const QString& data : elenco)
        giorni << DataVisibile(data);
    vista_.FillCheckList(giorni);
}

}  // namespace zentar
