#include "GiornoMemorizzato.h"

#include <optional>
#include <set>
#include <tuple>

#include "Errors.h"
#include "ScaricoPRE.h"
#include "Timbratura.h"

namespace zentar {

namespace {

using Timbratura = std::tuple<QString, int, QString>;  // badge, direction, time

std::set<Timbratura> timbratureSalvate(TDMDatabase& database, int terminale, const QString& data)
{
    std::set<Timbratura> salvate;
    for (const RigaTimbratura& riga : database.TimbratureDelGiorno(terminale, data))
        salvate.emplace(riga.Badge, riga.Verso, riga.Ora);
    return salvate;
}

// The punch of a line as SalvaTimbrature stores it; nothing for a line it refuses.
std::optional<Timbratura> timbraturaDellaRiga(const QString& riga, FonteTracciato& tracciato)
{
    try {
        TTimbratura linea(riga, tracciato);
        const QString badge = linea.GetCartellino();
        const int verso = linea.GetVerso();
        const QString ora = linea.GetOra();
        if (badge.isEmpty() || ora.isEmpty())
            return std::nullopt;
        return Timbratura{badge, verso, ora};
    } catch (const ConversionError&) {
        return std::nullopt;
    }
}

}  // namespace

bool MemorizzatoPerIntero(TDMDatabase& database, FonteTracciato& tracciato, int terminale, const QString& nome,
                          const QString& data)
{
    const std::optional<QString> testo = database.TestoUltimoFile(terminale, nome);
    if (!testo)
        return false;
    const std::set<Timbratura> salvate = timbratureSalvate(database, terminale, data);
    // `file` keeps each byte of the terminal's file as the character of the same code.
    for (const QString& riga : RigheDelTesto(testo->toLatin1())) {
        const std::optional<Timbratura> timbratura = timbraturaDellaRiga(riga, tracciato);
        if (!timbratura || !salvate.contains(*timbratura))
            return false;
    }
    return true;
}

}  // namespace zentar
