#pragma once
// The console's tab "Kavex": one row per link library call, each run by its "!" button with
// its raw result shown beside it. The rows touch no shared state and no other control.

#include <QWidget>

#include "ContestoConsole.h"
#include "Viste.h"

class QGridLayout;
class QLabel;
class QPushButton;

namespace zentar {

class SchedaKavex final : public QWidget {
    Q_OBJECT

public:
    SchedaKavex(ContestoConsole contesto, QWidget* genitore);

    // The address fields the connection works with.
    void ScriviIndirizziRete(const IndirizziRete& campi);

    // The "Hang Up" and "ExitCOMM" rows, as their buttons run them.
    void Exe_HangUpClick();
    void Exe_ExitClick(bool conMessaggio = true);

private:
    // Adds a row: step number (0 for none), label, its input fields, its button and reply label.
    QLabel* riga(int passo, const QString& titolo, const QList<std::pair<const char*, QString>>& campi,
                 const char* pulsante, const char* risposta);
    QLineEdit* campo(const char* nome) const;
    void mostra(QLabel* risposta, int32_t risultato);

    void Exe_InitClick();
    void Exe_SetMasterClick();
    void Exe_DialNumberClick();
    void Exe_SetVRNClick();

    ContestoConsole contesto_;
    QGridLayout* griglia_ = nullptr;
    int righe_ = 0;
    QLabel* Reply_Init = nullptr;
    QLabel* Reply_ChgAdapter = nullptr;
    QLabel* Reply_SetIP = nullptr;
    QLabel* Reply_SetMaster = nullptr;
    QLabel* Reply_DialNumber = nullptr;
    QLabel* Reply_SetVRN = nullptr;
    QLabel* Reply_HangUP = nullptr;
    QLabel* Reply_Exit = nullptr;
};

}  // namespace zentar
