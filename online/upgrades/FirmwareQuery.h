#pragma once

#include <QString>

class QUrlQuery;

// One controller board's firmware query: who asks (machine, board, host) and
// for which module.
struct FirmwareQuery
{
    QString deviceId;
    QString machineCode;
    QString machineModelCode;
    QString firmNo;
    QString pcbCode;
    QString pcbversion;
    QString ip;
    QString location;
    QString language;
    QString loginContext;
    QString moduleName; // not sent: the text of the module's row
    int firmModule = 0;

    // The query items in the service's order, "top" (3) last.
    QUrlQuery items() const;
};
