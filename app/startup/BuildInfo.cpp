#include "app/startup/BuildInfo.h"

#include <QDate>
#include <QStringList>

namespace BuildInfo {

QString dateText(const char *compilerDate)
{
    static const QStringList months{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const QStringList parts = QString::fromLatin1(compilerDate).simplified().split(QLatin1Char(' '));
    if (parts.size() != 3)
        return QString();
    const int month = int(months.indexOf(parts.at(0))) + 1;
    const QDate date(parts.at(2).toInt(), month, parts.at(1).toInt());
    if (!date.isValid())
        return QString();
    return QStringLiteral("%1-%2-%3").arg(date.year()).arg(date.month()).arg(date.day());
}

QString date()
{
    return dateText(__DATE__);
}

} // namespace BuildInfo
