#include "Timbratura.h"

#include <utility>

#include "Errors.h"
#include "TextCut.h"

namespace zentar {

namespace {

bool isDecimalDigit(QChar c) { return c >= '0' && c <= '9'; }

// Two decimal digits: a line cut short or a letter in the time is no time at all.
bool isTwoDigits(const QString& text)
{
    return text.size() == 2 && isDecimalDigit(text[0]) && isDecimalDigit(text[1]);
}

ConversionError notAnInteger(const QString& text)
{
    return ConversionError(QStringLiteral("'%1' non è un valore intero valido").arg(text));
}

int toInteger(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok)
        throw notAnInteger(text);
    return value;
}

}  // namespace

TTimbratura::TTimbratura(QString riga, FonteTracciato& tracciato)
    : riga_(std::move(riga)), tracciato_(tracciato)
{
}

std::optional<int> TTimbratura::parametro(CampoTracciato campo)
{
    const std::optional<QString> testo = tracciato_.ParametroTracciato(campo, valorePredefinito(campo));
    if (!testo)
        return std::nullopt;
    return toInteger(*testo);
}

std::optional<TTimbratura::Campo> TTimbratura::campo(CampoTracciato posizione, CampoTracciato lunghezza)
{
    const std::optional<int> pos = parametro(posizione);
    if (!pos)
        return std::nullopt;
    const std::optional<int> len = parametro(lunghezza);
    if (!len)
        return std::nullopt;
    return Campo{.pos = *pos, .len = *len};
}

QString TTimbratura::pezzoOra(int pos, int offset, const QString& limit) const
{
    const QString text = piece(riga_, pos + offset, 2);
    return isTwoDigits(text) && text < limit ? text : QString();
}

QString TTimbratura::GetOre()
{
    const std::optional<int> pos = parametro(CampoTracciato::Pos_Ora);
    return pos ? pezzoOra(*pos, 0, QStringLiteral("25")) : QString();
}

QString TTimbratura::GetMinuti()
{
    const std::optional<int> pos = parametro(CampoTracciato::Pos_Ora);
    return pos ? pezzoOra(*pos, 2, QStringLiteral("60")) : QString();
}

QString TTimbratura::GetSecondi()
{
    const std::optional<Campo> ora = campo(CampoTracciato::Pos_Ora, CampoTracciato::Len_Ora);
    if (!ora)
        return {};
    if (ora->len == 4)
        return QStringLiteral("00");
    if (ora->len != 6)
        return {};
    return pezzoOra(ora->pos, 4, QStringLiteral("60"));
}

QString TTimbratura::GetOra()
{
    const QString ore = GetOre();
    if (ore.isEmpty())
        return {};
    const QString minuti = GetMinuti();
    if (minuti.isEmpty())
        return {};
    const QString secondi = GetSecondi();
    if (secondi.isEmpty())
        return {};
    const QString ora = ore + '.' + minuti + '.' + secondi;
    return ora > QLatin1String("00.00.00") && ora < QLatin1String("24.00.00") ? ora : QString();
}

int TTimbratura::GetVerso()
{
    const std::optional<int> pos = parametro(CampoTracciato::Pos_Verso);
    const QString text = pos ? piece(riga_, *pos, 1) : QString();
    if (text.size() != 1 || !isDecimalDigit(text[0]))
        throw notAnInteger(text);
    return text[0].unicode() - '0';
}

QString TTimbratura::GetCartellino()
{
    const std::optional<Campo> badge = campo(CampoTracciato::Pos_Cartellino, CampoTracciato::Len_Cartellino);
    return badge ? piece(riga_, badge->pos, badge->len) : QString();
}

}  // namespace zentar
