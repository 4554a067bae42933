// zentar-sync: Zentar's downloads and exports without windows, for scheduled runs.

#include <cstdio>

#include <QCoreApplication>

#include "RigaDiComando.h"
#include "Sincronizzazione.h"
#include "TerminalState.h"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList argomenti = QCoreApplication::arguments();
    argomenti.removeFirst();

    QString errore;
    const std::optional<zentar::Richiesta> richiesta = zentar::LeggiRigaDiComando(argomenti, errore);
    if (!richiesta) {
        std::fprintf(stderr, "zentar-sync: %s\n%s", qPrintable(errore), qPrintable(zentar::Uso()));
        return zentar::kUsoErrato;
    }
    std::unique_ptr<zentar::Sincronizzazione> sync = zentar::Sincronizzazione::Apri(zentar::CartellaEseguibile(), errore);
    if (!sync) {
        std::fprintf(stderr, "zentar-sync: the data source cannot be opened: %s\n", qPrintable(errore));
        return zentar::kUsoErrato;
    }
    try {
        const int esito = sync->Esegui(*richiesta);
        std::fflush(stdout);
        return esito;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zentar-sync: %s\n", e.what());
        return zentar::kUsoErrato;
    }
}
