#pragma once
// The console's tab "Gestione File": the files on one of the terminal's drives, received into a
// local file, deleted, and a local file sent to the terminal.

#include <QWidget>

#include "ContestoConsole.h"

class QButtonGroup;
class QLabel;
class QListWidget;
class QPushButton;

namespace zentar {

class SchedaFile final : public QWidget {
    Q_OBJECT

public:
    SchedaFile(ContestoConsole contesto, QWidget* genitore);

    // The filter of the file dialogs.
    static QString Filtro();

private:
    QWidget* creaGruppoTerminale();
    QWidget* creaGruppoLocale();
    void btnListFileClick();
    void rgDriveClick(int unita);
    void btnReciveClick();
    void btnDeleteClick();
    void btnLoadClick();
    void btnSendClick();
    void messaggio(const QString& testo);

    ContestoConsole contesto_;
    QPushButton* btnListFile = nullptr;
    QListWidget* ListFile = nullptr;
    QButtonGroup* rgDrive = nullptr;
    QLineEdit* fileVRN = nullptr;
    QPushButton* btnRecive = nullptr;
    QPushButton* btnDelete = nullptr;
    QLineEdit* fileLCL = nullptr;
    QLabel* lblDirLoad = nullptr;
    QPushButton* btnLoad = nullptr;
    QPushButton* btnSend = nullptr;
};

}  // namespace zentar
