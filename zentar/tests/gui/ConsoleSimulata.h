#pragma once
// The terminal console on the whole program of FinestreSimulate: opened from the main window's
// menu item "Prompt", its controls found by object name, a terminal picked in its own list and
// connected with its own "CONNETTI".

#include <QLineEdit>
#include <QStringList>

#include "FinestreSimulate.h"
#include "TfrmPrompt.h"

class ConsoleSimulata : public FinestreSimulate {
protected:
    zentar::TfrmPrompt& frmPrompt() { return finestre->frmPrompt(); }

    template <typename T>
    T* console(const char* nome)
    {
        return in<T>(frmPrompt(), nome);
    }
    QLineEdit* campo(const char* nome) { return console<QLineEdit>(nome); }
    // A left click on a control of the console.
    void premi(const char* nome) { clic(console<QWidget>(nome)); }
    bool attivo(const char* nome) { return console<QWidget>(nome)->isEnabled(); }
    // The console's message line.
    QString messaggio() { return campo("ConsoleErr")->text(); }

    // The main window's "Prompt", then the console's tab `nome`.
    void apri(const char* nome = "TabSheet1");
    void scheda(const char* nome);
    // A click on the line of terminal `codice` in the console's list.
    void scegliInConsole(int codice);
    // `config` on a direct RS232 line, registered as 3, picked in the console's list and
    // connected with its "CONNETTI"; the console then shows tab `nome`, and the calls and
    // messages so far are forgotten.
    void collegatoInConsole(const sim::TerminalConfig& config, const char* nome);
    // The same with `config` at number 2 behind the network box, whose master is recorded as
    // 127.0.0.9. Skips the test where the box cannot be reached.
    void collegatoInScatola(const sim::TerminalConfig& config, const char* nome);

    // Makes the console the active window, so that its focus moves take effect.
    void attiva();
    // The console's control that has the focus.
    QWidget* fuoco() { return frmPrompt().focusWidget(); }

    // The lines of the reply board.
    QStringList bacheca();

private:
    void collegaTerminale3(const char* nome);
};
