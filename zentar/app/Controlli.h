#pragma once
// Making the windows' controls with their object names, and wiring a handler so that an error
// it raises ends at the application-wide error hook.

#include <QLabel>
#include <QLineEdit>
#include <QObject>
#include <QPushButton>
#include <QString>

#include "ZentarApplication.h"

namespace zentar {

inline QPushButton* Pulsante(QWidget* genitore, const char* nome, const QString& testo)
{
    auto* p = new QPushButton(testo, genitore);
    p->setObjectName(QString::fromLatin1(nome));
    return p;
}

inline QLabel* Etichetta(QWidget* genitore, const char* nome, const QString& testo)
{
    auto* e = new QLabel(testo, genitore);
    e->setObjectName(QString::fromLatin1(nome));
    return e;
}

inline QLineEdit* Campo(QWidget* genitore, const char* nome)
{
    auto* c = new QLineEdit(genitore);
    c->setObjectName(QString::fromLatin1(nome));
    return c;
}

// Keeps the field's text in upper case, typed or set.
inline void ForzaMaiuscolo(QLineEdit* campo)
{
    QObject::connect(campo, &QLineEdit::textChanged, campo, [campo](const QString& testo) {
        const QString maiuscolo = testo.toUpper();
        if (maiuscolo != testo) {
            const int cursore = campo->cursorPosition();
            campo->setText(maiuscolo);
            campo->setCursorPosition(cursore);
        }
    });
}

// Runs `gestore` (no arguments) on the signal, under the name `nome` in the log.
template <typename Mittente, typename Segnale, typename Gestore>
void Collega(Mittente* mittente, Segnale segnale, QObject* contesto, const char* nome, Gestore gestore)
{
    QObject::connect(mittente, segnale, contesto, [nome, gestore] { Gestito(nome, gestore); });
}

}  // namespace zentar
