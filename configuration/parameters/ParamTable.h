#pragma once

#include <QList>
#include <QMetaProperty>
#include <QMetaType>
#include <QVariant>

// The static description of every stored parameter (key, type, default,
// settings-page label, group and range), the order of the load pass, and the
// QML property that shows each row. Config builds its rows from it.

enum ParamGroup { NoGroup, LogGroup, BasicGroup, DetectionGroup, PrintGroup, FlowGroup };

struct ParamDef
{
    int id;
    const char *key;
    QMetaType::Type type;
    QVariant defaultValue;
    const char *label; // untranslated; null when the row is not on the settings page
    ParamGroup group;
    double min;
    double max;
};

// Null for the run-time-only ids (no key, never stored).
const ParamDef *paramDef(int id);

// Marker in the load order where the per-knife camera offsets are registered.
constexpr int KnifeOffsetsSlot = -1;
// Marker where the rows that exist only on version 7x4 machines follow.
constexpr int Version7x4RowsSlot = -2;

// The order in which the load and save passes register the rows.
const QList<int> &loadOrder();
// The rows registered at the Version7x4RowsSlot.
const QList<int> &version7x4Rows();

// The QML property that shows the row of id: its NOTIFY signal is the row's
// change signal. Invalid when no property shows the row.
QMetaProperty rowProperty(int id);
// Every id that a property shows, in the order of the properties.
QList<int> rowsWithProperty();
