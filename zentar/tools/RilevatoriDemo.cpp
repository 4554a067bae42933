#include "RilevatoriDemo.h"

#include <QSqlError>
#include <QSqlTableModel>

#include "Errors.h"

namespace zentar {

namespace {

using Colonne = std::vector<std::pair<QString, QVariant>>;

constexpr int kModalitaRs232 = 3;
constexpr int kModalitaScatola = 6;
constexpr int kNumeroInScatola = 1;    // the box's first terminal on its multi-drop side
constexpr int kNumeroSulModem = 0;     // a terminal alone on its line
constexpr int kModelloPello = 0;

// The layout of the punch lines, the edit window's default values.
Colonne tracciato()
{
    return {{"Pos_Ora", "0"},     {"Len_Ora", "6"},       {"Pos_Verso", "6"},    {"Pos_Causale", "6"},
            {"Len_Causale", "1"}, {"Pos_Cartellino", "7"}, {"Len_Cartellino", "8"}, {"Pos_CodSelvo", "15"},
            {"Len_CodSelvo", "2"}, {"RecLen", "17"},       {"IndSlvPresenteNelPre", true}};
}

RilevatoreDemo rilevatore(int codice, const QString& descrizione, const QString& collegamento, Colonne colonne)
{
    Colonne tutte{{"Codice", codice}, {"Descrizione", descrizione}, {"Presenze", true}, {"Modello", kModelloPello},
                  {"Dir", "A"}};
    tutte.insert(tutte.end(), colonne.begin(), colonne.end());
    const Colonne layout = tracciato();
    tutte.insert(tutte.end(), layout.begin(), layout.end());
    return {.Codice = codice, .Descrizione = descrizione, .collegamento = collegamento, .colonne = std::move(tutte)};
}

void inserisci(QSqlTableModel& tabella, const RilevatoreDemo& demo)
{
    QSqlRecord riga = tabella.record();
    for (int i = 0; i < riga.count(); ++i)
        riga.setGenerated(i, false);  // the columns not set keep the table's defaults
    for (const auto& [colonna, valore] : demo.colonne) {
        if (riga.indexOf(colonna) < 0)
            throw DatabaseError(QStringLiteral("rilevatori has no column \"%1\"").arg(colonna));
        riga.setValue(colonna, valore);
        riga.setGenerated(colonna, true);
    }
    if (!tabella.insertRecord(-1, riga))
        throw DatabaseError(tabella.lastError().text());
}

}  // namespace

std::vector<RilevatoreDemo> RilevatoriDemo(const PorteDemo& porte)
{
    return {
        rilevatore(1, QStringLiteral("Ingresso (rete)"),
                   QStringLiteral("network box %1:%2, terminal %3")
                       .arg(kIndirizzoScatolaDemo)
                       .arg(porte.portaScatola)
                       .arg(kNumeroInScatola),
                   {{"Portacom", porte.portaScatola},
                    {"Modalita_col", kModalitaScatola},
                    {"Baudrate", 0},
                    {"Parita", 0},
                    {"Indiriz_lanbrick", kIndirizzoScatolaDemo},
                    {"Indirizzo", kNumeroInScatola},
                    {"Modem", false}}),
        rilevatore(2, QStringLiteral("Magazzino (modem)"),
                   QStringLiteral("dial-up modem on COM%1, number 5551234").arg(porte.portaModem),
                   {{"Portacom", porte.portaModem},
                    {"Modalita_col", kModalitaRs232},
                    {"Baudrate", 9600},
                    {"Parita", 0},
                    {"Indirizzo", kNumeroSulModem},
                    {"Modem", true},
                    {"Telefono", "5551234"},
                    {"Modem_init", "ATZ"},
                    {"Modem_wait", 45}}),
    };
}

std::vector<RegistrazioneDemo> RegistraRilevatori(TDMDatabase& database, std::vector<RilevatoreDemo> rilevatori)
{
    std::vector<RegistrazioneDemo> esiti;
    QSqlTableModel& tabella = *database.tblRilevatori();
    try {
        for (RilevatoreDemo& demo : rilevatori) {
            const QSqlRecord presente = database.LeggiRilevatore(demo.Codice);
            // Codice is never null in a stored row: a null one means no row.
            if (!presente.value("Codice").isNull()) {
                esiti.push_back({.rilevatore = std::move(demo),
                                 .registrato = false,
                                 .descrizionePresente = presente.value("Descrizione").toString()});
                continue;
            }
            inserisci(tabella, demo);
            esiti.push_back({.rilevatore = std::move(demo), .registrato = true, .descrizionePresente = {}});
        }
        database.ApplicaRilevatori();
    } catch (const DatabaseError&) {
        database.AnnullaRilevatori();  // nothing half-registered stays in the cache
        throw;
    }
    return esiti;
}

std::vector<RegistrazioneDemo> RegistraRilevatoriDemo(TDMDatabase& database, const PorteDemo& porte)
{
    return RegistraRilevatori(database, RilevatoriDemo(porte));
}

}  // namespace zentar
