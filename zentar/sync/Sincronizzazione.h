#pragma once
// The work of zentar-sync on Zentar's own data source and destination folders, through the
// same connection, download, storage and export classes as the main window.

#include <memory>

#include "Avanzamento.h"
#include "DMDatabase.h"
#include "LibreriaKavex.h"
#include "RigaDiComando.h"
#include "ServiziTerminale.h"
#include "TerminalState.h"
#include "VisteSenzaFinestre.h"

namespace zentar {

// Exit statuses, worst last.
enum Esito { kFatto = 0, kGiorniFalliti = 1, kNonRaggiunto = 2, kUsoErrato = 3 };

class Sincronizzazione {
public:
    // Opens the data source; null with `errore` when it cannot be opened.
    static std::unique_ptr<Sincronizzazione> Apri(const QString& cartellaProgramma, QString& errore);

    int Esegui(const Richiesta& richiesta);

private:
    explicit Sincronizzazione(const QString& cartellaProgramma);

    int elenco();
    int giorni(int codice);
    int scarica(const Richiesta& richiesta);
    int esporta(const Richiesta& richiesta);
    int orologio(int codice, bool imposta);

    // Selects and connects the terminal; false (with a log line) when it cannot be reached.
    bool raggiungi(int codice);
    void lascia(int codice);
    // The punch days on the connected terminal, dd/mm/yyyy in date order.
    QStringList giorniSulTerminale();
    struct Fallimento {
        QString passo;      // RecvFile, SalvaFile or SalvaTimbrature; empty when the day is stored
        QString dettaglio;  // the library's or the database's text, when there is one
    };
    // Downloads and stores one day.
    Fallimento scaricaGiorno(const QString& nome, int& timbrature);
    int scaricaTerminale(int codice, const Richiesta& richiesta, int& memorizzati, int& falliti);
    bool registrato(int codice);

    QString cartellaProgramma_;
    StatoTerminale stato_;
    std::unique_ptr<TDMDatabase> database_;
    LibreriaKavex kavex_;
    VisteSenzaFinestre viste_;
    DialoghiSenzaFinestre dialoghi_;
    BarraAvanzamento barra_;
    std::unique_ptr<ServiziTerminale> servizi_;
    std::unique_ptr<CollegamentoAvanzamento> avanzamento_;
};

}  // namespace zentar
