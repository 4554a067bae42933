#pragma once
// A one-line field for an integer column: only digits (and a leading minus) can be typed, and
// its property `valore` is the number, or no value when the field is empty.

#include <QIntValidator>
#include <QLineEdit>
#include <QVariant>

namespace zentar {

class CampoIntero final : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(QVariant valore READ valore WRITE impostaValore USER true)

public:
    CampoIntero(const char* nome, QWidget* genitore) : QLineEdit(genitore)
    {
        setObjectName(QString::fromLatin1(nome));
        setValidator(new QIntValidator(this));
    }

    QVariant valore() const
    {
        bool ok = false;
        const int numero = text().toInt(&ok);
        return ok ? QVariant(numero) : QVariant();
    }
    void impostaValore(const QVariant& valore) { setText(valore.isNull() ? QString() : valore.toString()); }
};

}  // namespace zentar
