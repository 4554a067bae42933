#pragma once
// Connecting to and disconnecting from a registered terminal, by the connection settings of its
// rilevatori row, and the two command operations the windows share: posting a raw command and
// collecting the reply lines.
//
// A terminal is reached in one of three ways:
// - on a dial-up modem (Modem set): InitCOMM, DialNumber, SetTerminal; HangUp before closing;
// - behind a network box (mode 6): InitCOMM, ChangeAdapter to this computer's address,
//   SetIPAddress of the box, "M" + this computer's address and "%" to make it the box's master,
//   SetTerminal; the box is given back to the recorded master (IPMaster) before closing;
// - directly on its Selvo bus or RS232 line (every other mode): InitCOMM, SetTerminal.
//
// A failed connection may leave the device open: call DisconnettiTerminale after it.

#include <QSqlRecord>
#include <QString>
#include <QStringList>

#include "DMDatabase.h"
#include "DialogService.h"
#include "IndirizzoLocale.h"
#include "LibreriaKavex.h"
#include "TerminalState.h"
#include "Viste.h"

namespace zentar {

enum class Collegamento { Modem, ScatolaDiRete, Diretto };

// How the terminal of the row is reached: Modem alone decides a modem line; otherwise mode 6 is
// the network box and any other mode a direct line.
Collegamento CollegamentoDi(const QSqlRecord& rilevatore);

// The indicator, then the controls, for the connected or not connected state.
void ImpostaStato(VistaConnessione& vista, bool connesso);

// The indicator's picture, relative to the working folder.
QString FileImmagineConnessione(bool acceso);

class GestoreConnessione {
public:
    GestoreConnessione(TDMDatabase& database, StatoTerminale& stato, LibreriaKavex& kavex, VistaConnessione& vista,
                       DialogService& dialoghi, FonteIndirizzoLocale indirizzoLocale = IndirizzoDelSistema);

    // Opens the device, reaches the terminal and logs on. Writes the failing step's message into
    // ConsoleMainErr (empty on success) and sets TerminaleAttivo to the code, or 0 on failure.
    bool ConnettiTerminale(int codice);

    // Lets go of the terminal (hangs up, or gives the box back to its master) and closes the
    // device; the windows are left not connected in every case. False when hanging up or giving
    // the box back failed. Shows no message.
    bool DisconnettiTerminale(int codice);

    // Posts the command to the connected terminal without waiting for an answer, with one CR
    // added on RS232 lines (modes 3 and 4) and modem lines, as the row of the terminal connected
    // (or, with none, of the selected terminal) says. When it cannot be posted and
    // `mostraErrori` is set, says so in a message box.
    bool InviaComando(const QString& comando, bool mostraErrori);

    // The reply lines that arrive until the line has been quiet for about one second, in order.
    QStringList LeggiRisposte();

    // At most this many lines are collected by one LeggiRisposte, so that a terminal that never
    // falls silent cannot hold the program for ever.
    static constexpr int kMassimoRighe = 65536;

private:
    bool connettiModem(const QSqlRecord& rilevatore, int codice, QString& messaggio);
    bool connettiScatola(const QSqlRecord& rilevatore, const QString& indirizzoLocale, QString& messaggio);
    bool selezionaTerminale(int indirizzo, QString& messaggio);
    bool restituisciScatola(const QSqlRecord& rilevatore);

    TDMDatabase& database_;
    StatoTerminale& stato_;
    LibreriaKavex& kavex_;
    VistaConnessione& vista_;
    DialogService& dialoghi_;
    FonteIndirizzoLocale indirizzoLocale_;
    // The terminal whose connection was last opened, until the device is closed: its row says
    // how commands end on the line. 0 for none.
    int codiceCollegato_ = 0;
};

}  // namespace zentar
