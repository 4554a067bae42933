#include "GiorniSpuntati.h"

#include "NomePRE.h"

namespace zentar {

GiorniSpuntati::GiorniSpuntati(ScaricoPRE& scarico, ElencoGiorni& elenco, VistaElenco& vista,
                               DialogService& dialoghi)
    : scarico_(scarico), elenco_(elenco), vista_(vista), dialoghi_(dialoghi)
{
}

std::optional<int> GiorniSpuntati::Scarica(const QStringList& giorni, bool eliminaScaricati)
{
    if (dialoghi_.message(MessageKind::Question, QStringLiteral("Procedere allo Scarico Delle Timbrature ?"),
                          MessageButtons::OkCancel) != Answer::Ok)
        return std::nullopt;
    int nonImportate = 0;
    for (const QString& giorno : giorni) {
        const QString nome = NomePRE(giorno);
        if (!scarico_.ScaricaPRE(nome))
            ++nonImportate;
        else if (eliminaScaricati)
            scarico_.EliminaFilePRE(nome);
    }
    if (nonImportate == 0) {
        dialoghi_.message(MessageKind::Information, QStringLiteral("Download Terminato Con Successo"),
                          MessageButtons::Ok);
        vista_.ApriCartella();
    } else {
        dialoghi_.message(MessageKind::Information,
                          QStringLiteral("Totale Date Non Importate : %1").arg(nonImportate), MessageButtons::Ok);
    }
    concludi();
    return nonImportate;
}

std::optional<int> GiorniSpuntati::Elimina(const QStringList& giorni)
{
    if (dialoghi_.message(MessageKind::Warning, QStringLiteral("Cancellare le Timbrature Selezionate ?"),
                          MessageButtons::OkCancel) != Answer::Ok)
        return std::nullopt;
    int nonCancellate = 0;
    for (const QString& giorno : giorni) {
        if (!scarico_.EliminaFilePRE(NomePRE(giorno)))
            ++nonCancellate;
    }
    dialoghi_.message(MessageKind::Information,
                      nonCancellate == 0 ? QStringLiteral("Timbrature Cancellate")
                                         : QStringLiteral("Timbrature Non Cancellate : %1").arg(nonCancellate),
                      MessageButtons::Ok);
    concludi();
    return nonCancellate;
}

void GiorniSpuntati::concludi()
{
    vista_.DisabilitaScaricaElimina();
    elenco_.AggiornaElenco();
}

}  // namespace zentar
