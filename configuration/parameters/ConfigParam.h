#pragma once

#include <QString>
#include <QVariant>

// One row of the parameter table. A row that was never registered reads as
// this fresh row.
struct ConfigParam
{
    int key = 0;           // the row's id (a Config::ConfigParamType)
    QString showName;      // translated settings-page label; empty: not on the page
    QString iniKey;        // "section/name" in the working file; empty: never stored
    QVariant value;
    QVariant defaultValue; // of the row's value type
    double max = 999.0;
    double min = 0.0;
};
