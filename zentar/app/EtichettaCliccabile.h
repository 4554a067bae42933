#pragma once
// A label that reports a click and a double click with the left button.

#include <QLabel>
#include <QMouseEvent>

namespace zentar {

class EtichettaCliccabile final : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

signals:
    void clicked();
    void doubleClicked();

protected:
    void mouseReleaseEvent(QMouseEvent* evento) override
    {
        QLabel::mouseReleaseEvent(evento);
        if (evento->button() == Qt::LeftButton && rect().contains(evento->position().toPoint()))
            emit clicked();
    }

    void mouseDoubleClickEvent(QMouseEvent* evento) override
    {
        QLabel::mouseDoubleClickEvent(evento);
        if (evento->button() == Qt::LeftButton)
            emit doubleClicked();
    }
};

}  // namespace zentar
