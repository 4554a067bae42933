#pragma once
// The console's tab "Altre Funzioni": the terminal's date and time, a numbered parameter, and a
// converter between a byte in decimal and its eight bits.

#include <array>
#include <memory>

#include <QWidget>

#include "ContestoConsole.h"

class QGroupBox;
class QPushButton;

namespace zentar {

class Parametro;

class SchedaAltreFunzioni final : public QWidget {
    Q_OBJECT

public:
    SchedaAltreFunzioni(ContestoConsole contesto, QWidget* genitore);
    ~SchedaAltreFunzioni() override;

protected:
    bool eventFilter(QObject* oggetto, QEvent* evento) override;

private:
    QGroupBox* creaDataOra();
    QGroupBox* creaParametri();
    QGroupBox* creaConversioni();
    void btnReadTimeClick();
    void edtDateChange();
    void btnWriteDateClick();
    void btnWriteTimeClick();
    void riportaEsito(int32_t risultato);
    void edtDecChange();
    void btnDBClick();
    void btnBDClick();
    void bitChange(int k);

    ContestoConsole contesto_;
    QLineEdit* edtDate = nullptr;
    QPushButton* btnReadTime = nullptr;
    QPushButton* btnWriteDate = nullptr;
    QLineEdit* edtTime = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* btnWriteTime = nullptr;
    QLineEdit* edtParCod = nullptr;
    QPushButton* btnReadPar = nullptr;
    QLineEdit* edtParVal = nullptr;
    QPushButton* btnWritePar = nullptr;
    QLineEdit* edtDec = nullptr;
    QPushButton* btnBD = nullptr;
    QPushButton* btnDB = nullptr;
    std::array<QLineEdit*, 8> bit{};  // bit[k] is the field of bit k
    QLineEdit* edtBinCopy = nullptr;
    std::unique_ptr<Parametro> parametro_;
};

}  // namespace zentar
