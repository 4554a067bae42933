#pragma once
// What the connection and the download reach of the windows. The main window and the console
// implement these; a program without windows implements them with log lines. Message boxes go
// through the DialogService.

#include <QString>
#include <QStringList>

namespace zentar {

// The console's three network-box address fields. The connection writes them and passes their
// contents to the library; the operator can see and reuse them in the console.
struct IndirizziRete {
    QString nIPMaster;   // the master address: this computer's while connected, else IPMaster
    QString nIPVRN;      // the network box's address
    QString nMIPMaster;  // "M" and the master address: the box's master command

    bool operator==(const IndirizziRete&) const = default;
};

class VistaConnessione {
public:
    virtual ~VistaConnessione() = default;

    // The main window's status line ConsoleMainErr.
    virtual void ScriviConsoleMainErr(const QString& testo) = 0;
    // The console's fields nIPMaster, nIPVRN and nMIPMaster.
    virtual void ScriviIndirizziRete(const IndirizziRete& campi) = 0;
    // The connection indicator imgConnection: the picture FileImmagineConnessione(acceso).
    virtual void ImmagineConnessione(bool acceso) = 0;
    // The main window's controls for the connected or the not connected state.
    virtual void AbilitaControlli(bool connesso) = 0;
};

// The main window's list of punch days and the buttons around it.
class VistaElenco {
public:
    virtual ~VistaElenco() = default;

    // Empties listFilePre and adds one unticked item per day, dd/mm/yyyy, in the order given.
    virtual void FillCheckList(const QStringList& giorni) = 0;
    // Disables "Scarica" and "Elimina".
    virtual void DisabilitaScaricaElimina() = 0;
    // Opens the destination folder as the button "Apri Cartella" does.
    virtual void ApriCartella() = 0;
};

// The windows that show which terminal is selected: the main window's list of punch days and
// the selection state of the main and export windows.
class VistaSelezione {
public:
    virtual ~VistaSelezione() = default;

    // Empties the main window's list of punch days.
    virtual void SvuotaElenco() = 0;
    // Every window's Check_CodiceTerminale: the main window's first, then the export window's.
    virtual void Check_CodiceTerminale() = 0;
};

// Kavex's progress displays (the network box connection, file transfers), shown by the host.
class VistaAvanzamento {
public:
    virtual ~VistaAvanzamento() = default;

    virtual void Apri(const QString& titolo, int totale) = 0;
    // `record` records so far, `progressivo` against `totale` (bytes; for the connection window
    // milliseconds against the full time).
    virtual void Avanza(int record, int progressivo, int totale) = 0;
    virtual void Stato(const QString& testo) = 0;
    virtual void CambiaTotale(int totale) = 0;
    virtual void Chiudi() = 0;
    // The host's turn to process its own pending events during a transfer.
    virtual void ElaboraEventi() = 0;
};

}  // namespace zentar
