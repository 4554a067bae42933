#pragma once
// The export window: the stored punches of the selected terminal for a range of days, written
// into a folder the operator chooses, one file per day named as the terminal's punch files.
// From its creation to its end it also carries the application-wide error hook's one message:
// the start date field left incomplete.

#include <QWidget>

#include "DMDatabase.h"
#include "DialogService.h"
#include "Navigazione.h"
#include "TerminalState.h"

class QLabel;
class QPushButton;

namespace zentar {

class CampoData;
class EtichettaCliccabile;

class TfrmExport final : public QWidget {
    Q_OBJECT

public:
    TfrmExport(StatoTerminale& stato, TDMDatabase& database, DialogService& dialoghi, Navigazione& navigazione);
    ~TfrmExport() override;

    // The selection state in lblState; "Esporta" only when a terminal is selected.
    void Check_CodiceTerminale();

protected:
    void closeEvent(QCloseEvent* evento) override;

private:
    // Run when the focus leaves either date field with its mask complete: "Esporta" only for
    // two calendar dates.
    void mskDataInizioExit();
    void btnExportClick();
    void btnExitClick();
    void titolo(const QString& testo, const QColor& colore, const QColor& sfondo);

    StatoTerminale& stato_;
    TDMDatabase& database_;
    DialogService& dialoghi_;
    Navigazione& navigazione_;

    QLabel* Label1 = nullptr;
    CampoData* mskDataInizio = nullptr;
    CampoData* mskDataFine = nullptr;
    QPushButton* btnExport = nullptr;
    QPushButton* btnExit = nullptr;
    EtichettaCliccabile* lblState = nullptr;
};

}  // namespace zentar
