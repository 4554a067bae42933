#pragma once
// A label that reports a click with the left button.

#include <QLabel>
#include <QMouseEvent>

namespace zentar {

class EtichettaCliccabile final : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* evento) override
    {
        QLabel::mouseReleaseEvent(evento);
        if (evento->button() == Qt::LeftButton && rect().contains(evento->position().toPoint()))
            emit clicked();
    }
};

}  // namespace zentar
