#include "PulsantePredefinito.h"

#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>

namespace zentar {

namespace {

class TastoInvio final : public QObject {
public:
    TastoInvio(QWidget& finestra, QPushButton& pulsante) : QObject(&finestra), pulsante_(&pulsante)
    {
        finestra.installEventFilter(this);
    }

    bool eventFilter(QObject* oggetto, QEvent* evento) override
    {
        if (evento->type() != QEvent::KeyPress || pulsante_.isNull())
            return QObject::eventFilter(oggetto, evento);
        const auto* tasto = static_cast<QKeyEvent*>(evento);
        const bool invio = tasto->key() == Qt::Key_Return || tasto->key() == Qt::Key_Enter;
        const Qt::KeyboardModifiers modificatori = tasto->modifiers() & ~Qt::KeypadModifier;
        if (!invio || modificatori != Qt::NoModifier || !pulsante_->isEnabled() || !pulsante_->isVisible())
            return QObject::eventFilter(oggetto, evento);
        pulsante_->click();
        return true;
    }

private:
    QPointer<QPushButton> pulsante_;
};

}  // namespace

void PulsantePredefinito(QWidget& finestra, QPushButton& pulsante)
{
    pulsante.setDefault(true);
    new TastoInvio(finestra, pulsante);
}

}  // namespace zentar
