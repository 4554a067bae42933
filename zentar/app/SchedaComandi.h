#pragma once
// The console's tab "Finestra dei Comandi": a raw command from the drop-down list and the
// command line, sent to the terminal, its replies on the board.

#include <QWidget>

#include "ContestoConsole.h"

class QComboBox;
class QPlainTextEdit;
class QPushButton;

namespace zentar {

class SchedaComandi final : public QWidget {
    Q_OBJECT

public:
    SchedaComandi(ContestoConsole contesto, QWidget* genitore);

    // The 34 suggestions of the drop-down list, the empty one first.
    static QStringList Comandi();

protected:
    bool eventFilter(QObject* oggetto, QEvent* evento) override;

private:
    void edtLineCmdEnter();
    void edtLineCmdExit();
    void btnSendCmdClick();
    void btnRebootVRNClick();

    ContestoConsole contesto_;
    QPushButton* btnHelp = nullptr;
    QComboBox* cmbCommand = nullptr;
    QLineEdit* edtLineCmd = nullptr;
    QPlainTextEdit* ListReply = nullptr;
    QPushButton* btnSendCmd = nullptr;
    QPushButton* btnRebootVRN = nullptr;
    QPushButton* btnClear = nullptr;
};

}  // namespace zentar
