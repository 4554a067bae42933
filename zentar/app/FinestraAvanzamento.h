#pragma once
// Kavex's progress displays (a file transfer, the network box connection) as a Qt progress
// dialog. While the library works the dialog keeps the program's windows painted; the
// operator's input waits until the library returns, so no handler can run in the middle of a
// transfer.

#include <memory>

#include <QProgressDialog>

#include "Viste.h"

namespace zentar {

class FinestraAvanzamento final : public VistaAvanzamento {
public:
    FinestraAvanzamento();
    ~FinestraAvanzamento() override;

    void Apri(const QString& titolo, int totale) override;
    void Avanza(int record, int progressivo, int totale) override;
    void Stato(const QString& testo) override;
    void CambiaTotale(int totale) override;
    void Chiudi() override;
    void ElaboraEventi() override;

    // The dialog while a display is open, else null.
    QProgressDialog* Dialogo() const { return dialogo_.get(); }

private:
    std::unique_ptr<QProgressDialog> dialogo_;
};

}  // namespace zentar
