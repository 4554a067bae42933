#pragma once
// Making the windows' controls with their object names, and wiring a handler so that an error
// it raises ends at the application-wide error hook.

#include <QLabel>
#include <QLineEdit>
#include <QObject>
#include <QPushButton>
#include <QString>

#include "EtichettaCliccabile.h"
#include "TerminalState.h"
#include "ZentarApplication.h"

namespace zentar {

// The windows of the program have a title bar without close, minimise or maximise buttons.
inline constexpr Qt::WindowFlags kFinestraSenzaPulsanti = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;

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

// The state line lblState at the bottom of a window: centred, bold, on its own background.
inline EtichettaCliccabile* RigaStato(QWidget* genitore)
{
    auto* riga = new EtichettaCliccabile(genitore);
    riga->setObjectName(QStringLiteral("lblState"));
    riga->setAlignment(Qt::AlignCenter);
    riga->setAutoFillBackground(true);
    QFont grassetto = riga->font();
    grassetto.setBold(true);
    grassetto.setPixelSize(13);
    riga->setFont(grassetto);
    riga->setMinimumHeight(24);
    return riga;
}

// A state line showing the selection: `nessuno` in red on white when no terminal is selected,
// otherwise its description, or "Terminale <code> Selezionato" without one, in black on the
// button face. Whether a terminal is selected.
inline bool MostraSelezione(QLabel* riga, const StatoTerminale& stato, const QString& nessuno)
{
    const bool scelto = stato.CodiceTerminale != 0;
    QPalette colori = riga->palette();
    if (!scelto) {
        riga->setText(nessuno);
        colori.setColor(QPalette::Window, Qt::white);
        colori.setColor(QPalette::WindowText, Qt::red);
    } else {
        riga->setText(!stato.DescrizioneTerminale.isEmpty()
                          ? stato.DescrizioneTerminale
                          : QStringLiteral("Terminale %1 Selezionato").arg(stato.CodiceTerminale));
        colori.setColor(QPalette::Window, riga->window()->palette().color(QPalette::Button));
        colori.setColor(QPalette::WindowText, Qt::black);
    }
    riga->setPalette(colori);
    return scelto;
}

// Runs `gestore` (no arguments) on the signal, under the name `nome` in the log.
template <typename Mittente, typename Segnale, typename Gestore>
void Collega(Mittente* mittente, Segnale segnale, QObject* contesto, const char* nome, Gestore gestore)
{
    QObject::connect(mittente, segnale, contesto, [nome, gestore] { Gestito(nome, gestore); });
}

}  // namespace zentar
