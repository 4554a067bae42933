#pragma once
// The terminal console: a terminal picked from the register and connected, raw commands, the
// files on its drives, its clock, parameters and a bit converter, and the link library's
// connection steps one at a time. "ESCI" hangs up, closes the device and goes back.

#include <QWidget>

#include "ContestoConsole.h"
#include "DMDatabase.h"
#include "Navigazione.h"
#include "SelezioneRilevatore.h"
#include "TerminalState.h"
#include "Viste.h"

class QListView;
class QPushButton;
class QTabWidget;

namespace zentar {

class SchedaKavex;

class TfrmPrompt final : public QWidget {
    Q_OBJECT

public:
    TfrmPrompt(StatoTerminale& stato, TDMDatabase& database, ServiziTerminale& servizi, LibreriaKavex& kavex,
               DialogService& dialoghi, SelezioneRilevatore& selezione, Navigazione& navigazione);

    // The Kavex tab's address fields, which the connection fills.
    void ScriviIndirizziRete(const IndirizziRete& campi);

protected:
    // Closed by the window manager (Alt+F4), the console lets go of the terminal and goes back
    // to the main window, as ESCI does.
    void closeEvent(QCloseEvent* evento) override;

private:
    QWidget* creaSchedaRilevatori();
    void lstVRNClick();
    void btnConnettiClick();
    void btnDisconnettiClick();
    void Button1Click();
    void messaggio(const QString& testo);

    StatoTerminale& stato_;
    TDMDatabase& database_;
    ServiziTerminale& servizi_;
    DialogService& dialoghi_;
    SelezioneRilevatore& selezione_;
    Navigazione& navigazione_;

    QLineEdit* ConsoleErr = nullptr;
    QPushButton* Button1 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QListView* lstVRN = nullptr;
    QPushButton* btnConnetti = nullptr;
    QPushButton* btnDisconnetti = nullptr;
    SchedaKavex* schedaKavex_ = nullptr;
};

}  // namespace zentar
