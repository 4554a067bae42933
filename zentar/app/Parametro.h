#pragma once
// The numbered configuration parameter of the main window and of the console: a number field,
// a value field, "Leggi" and "Salva", and the message line that reports the result.

#include <cstdint>

#include <QString>

#include "LibreriaKavex.h"

class QLineEdit;
class QPushButton;

namespace zentar {

// The text of a field as a 32-bit whole number; a ConversionError when it is not one, so that
// the operation stops without a message.
int32_t InteroDi(const QLineEdit& campo);

class Parametro {
public:
    // "Leggi" follows the number field (digits only, not empty), "Salva" the value field (not
    // empty). `esitoSalvato` is what the message line shows after a successful write.
    Parametro(LibreriaKavex& kavex, QLineEdit& codice, QLineEdit& valore, QPushButton& leggi, QPushButton& salva,
              QLineEdit& messaggi, QString esitoSalvato);

    void Leggi();
    void Salva();

private:
    LibreriaKavex& kavex_;
    QLineEdit& codice_;
    QLineEdit& valore_;
    QLineEdit& messaggi_;
    QString esitoSalvato_;
};

}  // namespace zentar
