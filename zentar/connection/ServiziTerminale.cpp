#include "ServiziTerminale.h"

#include <utility>

namespace zentar {

ServiziTerminale::ServiziTerminale(TDMDatabase& database, StatoTerminale& stato, LibreriaKavex& kavex,
                                   VistaConnessione& vistaConnessione, VistaElenco& vistaElenco,
                                   DialogService& dialoghi, const Clock& orologio,
                                   FonteIndirizzoLocale indirizzoLocale)
    : connessione(database, stato, kavex, vistaConnessione, dialoghi, std::move(indirizzoLocale)),
      tracciato(database, dialoghi),
      scarico(database, stato, kavex, dialoghi, tracciato, orologio),
      elenco(connessione, vistaElenco, orologio),
      giorni(scarico, elenco, vistaElenco, dialoghi)
{
}

}  // namespace zentar
