#pragma once

#include "configuration/records/DbRecords.h"

#include <QList>
#include <QVariant>
#include <memory>

// The production database: a row per day, and per month a table of work
// records (jobs) and one of task records (task codes), in one SQLite file.
//
// Safe to call from any thread: every operation holds one lock, and a thread
// other than the one that built the object works on a connection of its own
// that lives for that one operation (Qt lets a connection serve only the
// thread that opened it).
class DbConfig
{
public:
    explicit DbConfig(const QString &fileName = QStringLiteral("config.db"));
    ~DbConfig();
    DbConfig(const DbConfig &) = delete;
    DbConfig &operator=(const DbConfig &) = delete;

    // One statement, values bound in order to its "?" placeholders.
    bool exec(const QString &statement, const QVariantList &values = {});
    // Appends every result row to rows (rows already there stay).
    bool select(const QString &statement, QList<QVariantList> &rows, const QVariantList &values = {});

    static QString dateWhere(const QDate &from, const QDate &to, const QString &format);
    bool monthTables(QList<QVariantList> &rows, const QDate &from, const QDate &to);
    bool createMonthTables(const QDate &date);
    // The next task code, unique and rising for the whole run; 0 on failure.
    quint32 maxTaskCode();
    bool selectTaskRecord(quint32 code, TaskRecord &out);
    bool selectWorkRecord(const QDateTime &timestamp, WorkRecord &out);
    static bool toTaskRecord(const QVariantList &row, TaskRecord &out);
    static bool toWorkRecord(const QVariantList &row, WorkRecord &out);

    bool updateWorkData(const WorkData &data);
    bool updateWorkRecord(const WorkRecord &record, quint32 &kind);
    bool updateTaskRecord(const TaskRecord &record, quint32 &kind);

    // False when the file could not be opened or is not a database.
    bool isUsable() const;

    struct Private;

private:
    // Ensures the month tables of a record and tells whether its row exists.
    bool findRecord(const char *origin, const char *nullText, const QDateTime &timestamp, bool taskTable,
                    QString &table, bool &exists);

    std::unique_ptr<Private> d;
};
