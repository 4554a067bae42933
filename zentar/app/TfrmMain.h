#pragma once
// The main window: which terminal is selected, connecting and disconnecting, the list of punch
// days with their download and deletion, the destination folder, one configuration parameter
// and the restart of the terminal. The work itself is done by ServiziTerminale.

#include <memory>

#include <QMainWindow>

#include "DMDatabase.h"
#include "DialogService.h"
#include "LibreriaKavex.h"
#include "Navigazione.h"
#include "ServiziTerminale.h"
#include "TerminalState.h"

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QToolButton;

namespace zentar {

class EtichettaCliccabile;
class Parametro;

class TfrmMain final : public QMainWindow {
    Q_OBJECT

public:
    TfrmMain(StatoTerminale& stato, TDMDatabase& database, ServiziTerminale& servizi, LibreriaKavex& kavex,
             DialogService& dialoghi, Navigazione& navigazione);
    ~TfrmMain() override;

    // The selection state in lblState; "CONNETTI" only when a terminal is selected.
    void Check_CodiceTerminale();
    // The indicator and the enabling of the controls for the connected or not connected state.
    void ImpostaStato(bool connesso);
    void AbilitaControlli(bool connesso);
    void ImmagineConnessione(bool acceso);
    void ScriviConsoleMainErr(const QString& testo);
    // Replaces the days of listFilePre, all unticked.
    void FillCheckList(const QStringList& giorni);
    void DisabilitaScaricaElimina();
    // "Apri Cartella".
    void ApriCartella();
    // Every top-level menu on or off.
    void AbilitaMenu(bool acceso);
    int ContaSelezionati() const;
    // The program icon kept by the hidden picture Image1.
    QPixmap Icona() const;
    static void SpuntaTutti(QListWidget& lista, bool spuntato);

protected:
    void showEvent(QShowEvent* evento) override;
    void closeEvent(QCloseEvent* evento) override;

private:
    void creaControlli();
    void creaMenu();
    void collegaGestori();
    void abilitaScaricaElimina(bool acceso);
    void svuotaParametri(bool abilitati);
    QStringList giorniSpuntati() const;

    void btnConnettiClick();
    void btnDisconnettiClick();
    void btnSelectAllClick();
    void btnRefreshClick();
    void btnScaricaClick();
    void btnDeleteClick();
    void btnReadParClick();
    void btnWriteParClick();
    void btnRebootClick();
    void Exit1Click();

    StatoTerminale& stato_;
    TDMDatabase& database_;
    ServiziTerminale& servizi_;
    LibreriaKavex& kavex_;
    DialogService& dialoghi_;
    Navigazione& navigazione_;

    EtichettaCliccabile* lblState = nullptr;
    QLabel* Label1 = nullptr;
    QListWidget* listFilePre = nullptr;
    QToolButton* btnSelectAll = nullptr;
    QToolButton* btnRefresh = nullptr;
    QCheckBox* chkDelete = nullptr;
    QToolButton* btnScarica = nullptr;
    QToolButton* btnDelete = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QLabel* imgConnection = nullptr;
    QLineEdit* edtParCod = nullptr;
    QPushButton* btnReadPar = nullptr;
    QLineEdit* edtParVal = nullptr;
    QPushButton* btnWritePar = nullptr;
    QToolButton* btnReboot = nullptr;
    QLineEdit* ConsoleMainErr = nullptr;
    QPushButton* btnConnetti = nullptr;
    QPushButton* btnDisconnetti = nullptr;
    QLabel* Image1 = nullptr;

    QMenu* mmFile = nullptr;
    QMenu* imbrature1 = nullptr;
    QMenu* mmImpostazioni = nullptr;
    QAction* Exit1 = nullptr;

    std::unique_ptr<Parametro> parametro_;
    bool connesso_ = false;  // the last state AbilitaControlli set
};

// The 16 by 16 program icon kept by the main window.
QPixmap IconaProgramma();

}  // namespace zentar
