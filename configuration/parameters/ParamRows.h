#pragma once

#include "configuration/parameters/ConfigParam.h"

#include <QList>
#include <QMap>
#include <QMetaType>
#include <QMutex>
#include <QStringList>
#include <functional>

// The live parameter table: one row per id (value, default, key in the
// working file, label, range) and the settings-page groups. One lock guards
// them, so the GUI, driver and task threads may read and set rows at once.
// An id that was never registered or set reads as a fresh row.
class ParamRows
{
public:
    // Receives every value stored in a row that has a key. It runs under the
    // table's lock, so the working file gets the values in the order the
    // table does; it must not call back into the table.
    using WriteThrough = std::function<void(const QString &iniKey, const QVariant &value)>;

    explicit ParamRows(WriteThrough writeThrough = {});

    // The row's value; int 0 for an id without a row.
    QVariant value(int id) const;
    ConfigParam row(int id) const;
    bool contains(int id) const;
    // Stores val as it is, creating the row, and writes it through unless
    // memoryOnly. True when it differs from the value held before (returned
    // in *old): the real change that the row's change signal reports.
    bool store(int id, const QVariant &val, QVariant *old = nullptr, bool memoryOnly = false);
    // Adds delta to a counter row in one step under the lock, in the row's
    // type (whole counts wrap at 32 bits as the stored totals do), and
    // writes it through. *old and *now get the values before and after.
    bool add(int id, double delta, QVariant *old, QVariant *now);

    // What the load pass registers: key and default, label (false and no
    // change without a row; *value gets the row's value) and range.
    void define(int id, const QString &iniKey, const QVariant &defaultValue);
    bool setLabel(int id, const QString &label, QVariant *value = nullptr);
    void setRange(int id, double min, double max);
    // Rows with a range of their own whose value lies outside it, each logged.
    QList<int> outOfRange() const;

    // Settings-page groups: the names in ParamGroup order (from LogGroup),
    // each group's members in the order they were added.
    void resetGroups(const QStringList &names);
    QString groupName(int group) const;
    void addToGroup(int group, int id);
    QStringList groupNames() const; // sorted by name
    QList<int> group(const QString &name) const;
    QList<int> groupedIds() const; // every member, the groups sorted by name

    // val held in the type of the row's default, as the load pass converts;
    // val itself when the row has no default or the conversion fails.
    QVariant inRowType(int id, const QVariant &val) const;
    // Strict conversion of a value read from a settings file to type. False
    // when the text does not denote a value of that type.
    static bool convert(const QVariant &raw, QMetaType::Type type, QVariant *out);

private:
    mutable QMutex m_lock;
    QMap<int, ConfigParam> m_rows;
    QStringList m_groupNames;
    QMap<QString, QList<int>> m_groups;
    WriteThrough m_writeThrough;
};
