#pragma once
// The terminal list: the register in a grid, and new, modify, copy, delete, test and exit. New
// and modify leave their changes pending for the edit window; copy and delete write at once.

#include <QWidget>

#include "Connessione.h"
#include "DMDatabase.h"
#include "DialogService.h"
#include "LibreriaKavex.h"
#include "Navigazione.h"

class QTableView;

namespace zentar {

class TfrmSetupRilevatori final : public QWidget {
    Q_OBJECT

public:
    TfrmSetupRilevatori(TDMDatabase& database, GestoreConnessione& connessione, LibreriaKavex& kavex,
                        DialogService& dialoghi, Navigazione& navigazione);

protected:
    void showEvent(QShowEvent* evento) override;
    void closeEvent(QCloseEvent* evento) override;

private:
    void seguiRigaCorrente(int riga);
    void btnNewVRNClick();
    void bitModificaClick();
    void btnCopyVRNClick();
    void btnDeleteClick();
    void btnRiavvioClick();
    void btnExitClick();
    void messaggio(const QString& testo);
    void ultimaRiga();

    TDMDatabase& database_;
    GestoreConnessione& connessione_;
    LibreriaKavex& kavex_;
    DialogService& dialoghi_;
    Navigazione& navigazione_;
    QTableView* DBGRilevatori = nullptr;
};

}  // namespace zentar
