#include "FinestraAvanzamento.h"

#include <algorithm>

#include <QApplication>

namespace zentar {

FinestraAvanzamento::FinestraAvanzamento() = default;
FinestraAvanzamento::~FinestraAvanzamento() = default;

void FinestraAvanzamento::Apri(const QString& titolo, int totale)
{
    dialogo_ = std::make_unique<QProgressDialog>(QApplication::activeWindow());
    dialogo_->setObjectName(QStringLiteral("dlgAvanzamento"));
    dialogo_->setWindowTitle(titolo);
    dialogo_->setLabelText(titolo);
    dialogo_->setCancelButton(nullptr);
    // Not modal: a modal progress dialog would process the operator's input in setValue.
    dialogo_->setWindowModality(Qt::NonModal);
    dialogo_->setMinimumDuration(0);
    dialogo_->setAutoClose(false);
    dialogo_->setAutoReset(false);
    dialogo_->setRange(0, std::max(totale, 0));
    dialogo_->setValue(0);
    dialogo_->show();
    ElaboraEventi();
}

void FinestraAvanzamento::Avanza(int record, int progressivo, int totale)
{
    if (!dialogo_)
        return;
    if (totale > 0 && totale != dialogo_->maximum())
        dialogo_->setMaximum(totale);
    dialogo_->setValue(std::clamp(progressivo, 0, dialogo_->maximum()));
    if (record > 0)
        dialogo_->setLabelText(QStringLiteral("%1\nRecord: %2").arg(dialogo_->windowTitle()).arg(record));
}

void FinestraAvanzamento::Stato(const QString& testo)
{
    if (dialogo_)
        dialogo_->setLabelText(testo);
}

void FinestraAvanzamento::CambiaTotale(int totale)
{
    if (dialogo_)
        dialogo_->setMaximum(std::max(totale, 0));
}

void FinestraAvanzamento::Chiudi() { dialogo_.reset(); }

void FinestraAvanzamento::ElaboraEventi()
{
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace zentar
