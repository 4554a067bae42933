#pragma once
// How a window hands over to another: each call hides the window asking and shows the named
// one; windows that are not part of the program yet keep the asking window shown.

namespace zentar {

class Navigazione {
public:
    virtual ~Navigazione() = default;

    virtual void MostraPrincipale() = 0;      // the main window frmMain
    virtual void MostraScelta() = 0;          // the terminal chooser frmChooseVRN
    virtual void ApriSceltaSopra() = 0;       // the chooser, the asking window staying shown
    virtual void MostraEsporta() = 0;         // the export window frmExport
    virtual void MostraConfigurazione() = 0;  // the terminal list frmSetupRilevatori
    virtual void MostraModifica() = 0;        // the terminal edit window frmSetupRilevatore
    virtual void MostraPrompt() = 0;          // the terminal console frmPrompt
    // Ends the program.
    virtual void Termina() = 0;
};

}  // namespace zentar
