#include "online/upgrades/FirmwareQuery.h"

#include <QUrlQuery>

QUrlQuery FirmwareQuery::items() const
{
    QUrlQuery query;
    const std::pair<const char *, QString> items[] = {
        {"deviceId", deviceId}, {"firmNo", firmNo}, {"pcbCode", pcbCode}, {"pcbversion", pcbversion},
        {"machineCode", machineCode}, {"machineModelCode", machineModelCode}, {"ip", ip},
        {"location", location}, {"language", language}, {"loginContext", loginContext},
        {"firmModule", QString::number(firmModule)}, {"top", QStringLiteral("3")}};
    for (const auto &[key, value] : items)
        query.addQueryItem(QString::fromLatin1(key), value);
    return query;
}
