#include "NomePRE.h"

#include "TextCut.h"

namespace zentar {

namespace {

// The latest year not after `currentYear` whose last digit is `digit`.
int latestYearEndingIn(int digit, int currentYear)
{
    const int back = ((currentYear % 10) - digit + 10) % 10;
    return currentYear - back;
}

QString yearFromDigit(const QString& digitText, const Clock& clock)
{
    if (digitText.size() != 1 || digitText[0] < '0' || digitText[0] > '9')
        return QStringLiteral("201") + digitText;  // not a name of ours: cut as text, as ever
    const int digit = digitText[0].unicode() - '0';
    return QString::number(latestYearEndingIn(digit, clock.today().year()));
}

}  // namespace

bool IsNomePRE(const QString& testo)
{
    return testo.startsWith(QLatin1String("PRE"), Qt::CaseSensitive);
}

QString DataDaNomePRE(const QString& nome, const Clock& clock)
{
    return characters(nome, 7, 8) + '/' + characters(nome, 5, 6) + '/' +
           yearFromDigit(characters(nome, 4, 4), clock);
}

QString NomePRE(const QString& data)
{
    return QStringLiteral("PRE") + characters(data, 10, 10) + characters(data, 4, 5) + characters(data, 1, 2);
}

QString AnnoQuattroCifre(const QString& data)
{
    return characters(data, 1, 6) + QStringLiteral("20") + characters(data, 7, 8);
}

}  // namespace zentar
