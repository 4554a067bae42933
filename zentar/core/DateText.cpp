#include "DateText.h"

#include <QDate>
#include <QDateTime>

#include "Errors.h"
#include "TextCut.h"

namespace zentar {

namespace {

const QString kNessunaDataOrdinabile = QStringLiteral("0000-00-00");
const QString kFormatoData = QStringLiteral("dd/MM/yyyy");

QDate parseDate(const QString& data)
{
    // One or two digits for day and month, as the engine's date conversion accepted.
    const QDate date = QDate::fromString(data, QStringLiteral("d/M/yyyy"));
    if (!date.isValid())
        throw ConversionError(QStringLiteral("'%1' non è una data valida").arg(data));
    return date;
}

QDate addSeconds(QDate date, qint64 seconds)
{
    return QDateTime(date, QTime(0, 0)).addSecs(seconds).date();
}

}  // namespace

QString DataOrdinabile(const QString& data)
{
    if (data.isEmpty() || data == kNessunaDataOrdinabile)
        return kNessunaDataOrdinabile;
    return characters(data, 7, 10) + '/' + characters(data, 4, 5) + '/' + characters(data, 1, 2);
}

QString DataVisibile(const QString& data)
{
    if (data.isEmpty() || data == kNessunaDataOrdinabile || data == QLatin1String("00-00-0000") ||
        data == QLatin1String("--"))
        return {};
    return characters(data, 9, 10) + '/' + characters(data, 6, 7) + '/' + characters(data, 1, 4);
}

QString DataSQL(const QString& data)
{
    return characters(data, 4, 5) + '/' + characters(data, 1, 2) + '/' + characters(data, 7, 10);
}

QString SommaData(const QString& data, const QString& interval, int count)
{
    const QDate date = parseDate(data);
    const QString unit = interval.toLower();
    QDate result;
    if (unit == QLatin1String("yyyy"))
        result = date.addYears(count);
    else if (unit == QLatin1String("q"))
        result = date.addMonths(3 * count);
    else if (unit == QLatin1String("m"))
        result = date.addMonths(count);
    else if (unit == QLatin1String("d") || unit == QLatin1String("y") || unit == QLatin1String("w"))
        result = date.addDays(count);
    else if (unit == QLatin1String("ww"))
        result = date.addDays(7 * qint64{count});
    else if (unit == QLatin1String("h"))
        result = addSeconds(date, 3600 * qint64{count});
    else if (unit == QLatin1String("n"))
        result = addSeconds(date, 60 * qint64{count});
    else if (unit == QLatin1String("s"))
        result = addSeconds(date, count);
    else
        throw ConversionError(QStringLiteral("intervallo '%1' non valido").arg(interval));
    return result.toString(kFormatoData);
}

}  // namespace zentar
