#pragma once
// The terminal chooser: the registered terminals by code and description; "Seleziona" (or a
// double click) makes the highlighted one the terminal the application works with.

#include <QWidget>

#include "DMDatabase.h"
#include "Navigazione.h"
#include "SelezioneRilevatore.h"
#include "TerminalState.h"

class QLabel;
class QPushButton;
class QTableView;

namespace zentar {

class TfrmMain;

class TfrmChooseVRN final : public QWidget {
    Q_OBJECT

public:
    TfrmChooseVRN(StatoTerminale& stato, TDMDatabase& database, SelezioneRilevatore& selezione, TfrmMain& frmMain,
                  Navigazione& navigazione);

    // The code of the highlighted terminal, 0 when none is.
    int Chiave() const;

protected:
    void showEvent(QShowEvent* evento) override;
    void closeEvent(QCloseEvent* evento) override;

private:
    void impostaChiave(int codice);
    void lstVRNClick();
    void btnSelezionaClick();
    void btnAnnullaClick();

    StatoTerminale& stato_;
    TDMDatabase& database_;
    SelezioneRilevatore& selezione_;
    TfrmMain& frmMain_;
    Navigazione& navigazione_;

    QLabel* Label2 = nullptr;
    QTableView* lstVRN = nullptr;
    QPushButton* btnAnnulla = nullptr;
    QPushButton* btnSeleziona = nullptr;
};

}  // namespace zentar
