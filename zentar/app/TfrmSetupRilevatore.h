#pragma once
// The terminal edit window: every setting of the current terminal of the register on four
// tabs. Its fields always show the current row; what the operator changes reaches the table
// only with "Conferma" (Yes), and "No" or "Annulla" drop it together with a pending new row.
// Like a data-aware control, a field writes its column only when its value was changed since
// the row was shown: a stored value that no item of a radio group or list shows stays as it is.

#include <QWidget>

#include "DMDatabase.h"
#include "DialogService.h"
#include "Navigazione.h"
#include "TerminalState.h"

class QDataWidgetMapper;
class QGridLayout;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace zentar {

class GruppoValori;

class TfrmSetupRilevatore final : public QWidget {
    Q_OBJECT

public:
    TfrmSetupRilevatore(StatoTerminale& stato, TDMDatabase& database, DialogService& dialoghi,
                        Navigazione& navigazione);

    // The ten layout fields with their default texts, in the order of the tab "Presenze".
    static const QList<std::pair<const char*, const char*>>& ValoriPredefiniti();

    // Shows the current row's values again.
    void MostraRigaCorrente();

protected:
    void showEvent(QShowEvent* evento) override;
    void closeEvent(QCloseEvent* evento) override;

private:
    QWidget* creaGenerale();
    QWidget* creaPresenze();
    QWidget* creaAccessi();
    QWidget* creaComunicazione();
    QLineEdit* testo(QWidget* genitore, QGridLayout* griglia, const char* nome, const QString& etichetta,
                     const char* colonna);
    void lega(QWidget* controllo, const char* colonna);
    void ricordaMostrati();
    void scriviModifiche();

    void rdbModCollegamentoChange();
    void btPresenzeDefaultClick();
    void btnDirPREClick();
    void btnUpdateClick();
    void btnAnnullaClick();
    void chiudi(bool applica);

    StatoTerminale& stato_;
    TDMDatabase& database_;
    DialogService& dialoghi_;
    Navigazione& navigazione_;
    QDataWidgetMapper* mapper_ = nullptr;

    // A bound field, the column it shows and the property that holds its value.
    struct Legame {
        QWidget* controllo;
        int colonna;
        QByteArray proprieta;
    };
    QList<Legame> legami_;
    // The value each bound field showed when the row was last shown, in the order of legami_.
    QList<QVariant> mostrati_;

    QTabWidget* PageControl = nullptr;
    QLineEdit* eCodice = nullptr;
    QLineEdit* DBDirPRE = nullptr;
    GruppoValori* rdbModCollegamento = nullptr;
    QLineEdit* edtIPLanbrick = nullptr;
    QLineEdit* edtIPMaster = nullptr;
    QGroupBox* gbModem = nullptr;
    QPushButton* btnUpdate = nullptr;
    QPushButton* btnAnnulla = nullptr;
};

}  // namespace zentar
