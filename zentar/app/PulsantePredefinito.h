#pragma once
// The default button of a window that is not a dialog: Enter or Return that no control of the
// window takes (a line edit, a list and a grid pass them on) presses it, when it is enabled.

class QPushButton;
class QWidget;

namespace zentar {

void PulsantePredefinito(QWidget& finestra, QPushButton& pulsante);

}  // namespace zentar
