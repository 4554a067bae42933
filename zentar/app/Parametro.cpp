#include "Parametro.h"

#include <QLineEdit>
#include <QPushButton>

#include "Errors.h"
#include "TerminalState.h"

namespace zentar {

int32_t InteroDi(const QLineEdit& campo)
{
    bool ok = false;
    const int valore = campo.text().toInt(&ok);
    if (!ok)
        throw ConversionError(QStringLiteral("'%1' is not a valid integer value").arg(campo.text()));
    return valore;
}

Parametro::Parametro(LibreriaKavex& kavex, QLineEdit& codice, QLineEdit& valore, QPushButton& leggi,
                     QPushButton& salva, QLineEdit& messaggi, QString esitoSalvato)
    : kavex_(kavex), codice_(codice), valore_(valore), messaggi_(messaggi), esitoSalvato_(std::move(esitoSalvato))
{
    QObject::connect(&codice, &QLineEdit::textChanged, &leggi,
                     [&leggi](const QString& testo) { leggi.setEnabled(!testo.isEmpty() && IsNumero(testo)); });
    QObject::connect(&valore, &QLineEdit::textChanged, &salva,
                     [&salva](const QString& testo) { salva.setEnabled(!testo.isEmpty()); });
}

void Parametro::Leggi()
{
    messaggi_.clear();
    QString valore;
    const int32_t risultato = kavex_.GetParameter(InteroDi(codice_), valore);
    if (risultato == 0)
        valore_.setText(valore);
    else
        messaggi_.setText(QString::number(risultato));
}

void Parametro::Salva()
{
    messaggi_.clear();
    const int32_t risultato = kavex_.SetParameter(InteroDi(codice_), valore_.text());
    messaggi_.setText(risultato == 0 ? esitoSalvato_ : QString::number(risultato));
}

}  // namespace zentar
