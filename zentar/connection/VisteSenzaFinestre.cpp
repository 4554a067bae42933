#include "VisteSenzaFinestre.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace zentar {

Answer DialoghiSenzaFinestre::message(MessageKind, const QString& text, MessageButtons buttons)
{
    QString testo = text;
    testo.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fprintf(stderr, "zentar-sync: %s\n", qPrintable(testo));
    switch (buttons) {
    case MessageButtons::YesNo:
    case MessageButtons::YesNoCancel: return Answer::Yes;
    default: return Answer::Ok;
    }
}

BarraAvanzamento::BarraAvanzamento() : attiva_(::isatty(STDERR_FILENO) == 1) {}

void BarraAvanzamento::Apri(const QString& titolo, int totale)
{
    titolo_ = titolo;
    totale_ = totale;
}

void BarraAvanzamento::Avanza(int record, int progressivo, int totale)
{
    if (!attiva_)
        return;
    const int massimo = std::max(totale > 0 ? totale : totale_, 1);
    const int pieni = std::clamp(progressivo * 30 / massimo, 0, 30);
    std::fprintf(stderr, "\r%-24s [%.*s%*s] %d records", qPrintable(titolo_), pieni,
                 "##############################", 30 - pieni, "", record);
    std::fflush(stderr);
}

void BarraAvanzamento::Chiudi()
{
    if (attiva_)
        std::fprintf(stderr, "\r\033[K");
}

}  // namespace zentar
