#pragma once
// A radio group whose items stand for stored values: its property `valore` is the value of the
// checked item (no value when none is), so that a data widget mapper reads and writes it.

#include <QButtonGroup>
#include <QGroupBox>
#include <QList>
#include <QVariant>

namespace zentar {

class GruppoValori final : public QGroupBox {
    Q_OBJECT
    Q_PROPERTY(QVariant valore READ valore WRITE impostaValore NOTIFY valoreCambiato USER true)

public:
    struct Voce {
        QString testo;
        QVariant valore;
    };

    // The items in `colonne` columns, filled top to bottom.
    GruppoValori(const char* nome, const QString& titolo, const QList<Voce>& voci, int colonne, QWidget* genitore);

    QVariant valore() const;
    // Checks the item of `valore`; a value of no item checks none.
    void impostaValore(const QVariant& valore);

signals:
    void valoreCambiato();

private:
    QList<Voce> voci_;
    QButtonGroup gruppo_;
};

}  // namespace zentar
