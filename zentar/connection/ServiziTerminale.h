#pragma once
// The terminal operations wired together once, for the main window and for a program without
// windows: the connection, the layout of the selected terminal, the download of one file, the
// list of days and the ticked-day buttons. Every reference must outlive this object.

#include "Clock.h"
#include "Connessione.h"
#include "DMDatabase.h"
#include "DialogService.h"
#include "ElencoGiorni.h"
#include "GiorniSpuntati.h"
#include "IndirizzoLocale.h"
#include "LibreriaKavex.h"
#include "ScaricoPRE.h"
#include "TerminalState.h"
#include "TracciatoRilevatore.h"
#include "Viste.h"

namespace zentar {

class ServiziTerminale {
public:
    ServiziTerminale(TDMDatabase& database, StatoTerminale& stato, LibreriaKavex& kavex,
                     VistaConnessione& vistaConnessione, VistaElenco& vistaElenco, DialogService& dialoghi,
                     const Clock& orologio = systemClock(), FonteIndirizzoLocale indirizzoLocale = IndirizzoDelSistema);

    ServiziTerminale(const ServiziTerminale&) = delete;
    ServiziTerminale& operator=(const ServiziTerminale&) = delete;

    GestoreConnessione connessione;
    TracciatoRilevatore tracciato;
    ScaricoPRE scarico;
    ElencoGiorni elenco;
    GiorniSpuntati giorni;
};

}  // namespace zentar
