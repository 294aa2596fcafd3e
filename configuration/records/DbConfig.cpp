#include "configuration/records/DbConfig.h"

#include <QDebug>
#include <QMutex>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>

#include <atomic>

namespace {

std::atomic<int> g_instanceSerial{0};

const char *kCreateWorkData =
    "CREATE TABLE IF NOT EXISTS t_work_data( \n    date DATE PRIMARY KEY, \n    cut_len REAL, \n"
    "    print_len REAL, \n    _copies INTEGER, \n    scan_mark INTEGER, \n    scan_mark_ok INTEGER)";
const char *kCreateTaskWorkTab =
    "CREATE TABLE IF NOT EXISTS t_task_work_tab( \n    date DATE PRIMARY KEY NOT NULL, \n"
    "    work_tab_name TEXT NOT NULL, \n    task_tab_name TEXT NOT NULL)";
const char *kCreateWorkRecord =
    "CREATE TABLE IF NOT EXISTS %1( \n    timestamp INTEGER PRIMARY KEY NOT NULL, \n    cut_file TEXT, \n"
    "    cut_cnt INTEGER, \n    print_file TEXT, \n    print_cnt INTEGER, \n    dataSourceFile TEXT, \n"
    "    check_cnt INTEGER)";
const char *kCreateTaskRecord =
    "CREATE TABLE IF NOT EXISTS %1( \n    timestamp INTEGER PRIMARY KEY NOT NULL, \n"
    "    work_record_timestamp INTEGER, \n    code INTEGER, \n    dataIndex INTEGER, \n    printCopies INTEGER, \n"
    "    printTime INTEGER, \n    cutCopies INTEGER, \n    cutTime INTEGER, \n    checkCopies INTEGER, \n"
    "    checkTime INTEGER)";

// The lengths are kept to six significant digits, as the day rows always held them.
double lengthValue(float metres)
{
    return QString::number(double(metres), 'g', 6).toDouble();
}

QDateTime fromMs(const QVariant &v)
{
    return QDateTime::fromMSecsSinceEpoch(qint64(v.toULongLong()));
}

// A time never set is stored as 0, the epoch.
qint64 ms(const QDateTime &t)
{
    return t.isValid() ? t.toMSecsSinceEpoch() : 0;
}

} // namespace

struct DbConfig::Private
{
    QString fileName;
    QString ownerName;
    QThread *owner = nullptr;
    bool broken = false; // the file is there but is not a database: stay quiet
    QString currentWorkTable;
    QString currentTaskTable;
    quint32 lastTaskCode = 0;

    QRecursiveMutex mutex;
    int depth = 0;
    QString activeName;
    bool activeIsTemp = false;
    int tempSerial = 0;

    QSqlDatabase addConnection(const QString &name) const
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(fileName);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        return db;
    }
};

namespace {

// Holds the lock for one operation and provides the connection of the calling thread.
class Scope
{
public:
    explicit Scope(DbConfig::Private *d) : m_d(d), m_lock(&d->mutex)
    {
        if (m_d->depth++ > 0)
            return;
        if (QThread::currentThread() == m_d->owner) {
            m_d->activeName = m_d->ownerName;
            m_d->activeIsTemp = false;
        } else {
            m_d->activeName = QStringLiteral("%1-t%2").arg(m_d->ownerName).arg(++m_d->tempSerial);
            m_d->activeIsTemp = true;
            m_d->addConnection(m_d->activeName);
        }
    }
    ~Scope()
    {
        if (--m_d->depth > 0 || !m_d->activeIsTemp)
            return;
        {
            QSqlDatabase db = QSqlDatabase::database(m_d->activeName, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_d->activeName);
        m_d->activeIsTemp = false;
    }

    // An open connection, or an invalid one when it cannot be opened.
    QSqlDatabase db() const
    {
        if (m_d->broken)
            return QSqlDatabase();
        QSqlDatabase db = QSqlDatabase::database(m_d->activeName, false);
        if (!db.isOpen() && !db.open())
            return QSqlDatabase();
        return db;
    }

private:
    DbConfig::Private *m_d;
    QMutexLocker<QRecursiveMutex> m_lock;
};

bool runQuery(QSqlQuery &query, const QString &statement, const QVariantList &values)
{
    if (values.isEmpty())
        return query.exec(statement);
    if (!query.prepare(statement))
        return false;
    for (const QVariant &v : values)
        query.addBindValue(v);
    return query.exec();
}

} // namespace

DbConfig::DbConfig(const QString &fileName) : d(new Private)
{
    d->fileName = fileName;
    d->ownerName = QStringLiteral("sqlite1");
    const int serial = g_instanceSerial.fetch_add(1);
    if (serial > 0)
        d->ownerName += QStringLiteral("-%1").arg(serial);
    d->owner = QThread::currentThread();
    QSqlDatabase db = d->addConnection(d->ownerName);
    if (!db.open()) {
        qCritical().noquote() << "DbConfig::DbConfig" << "open failed" << fileName << db.lastError().text();
        return;
    }
    // SQLite opens any file lazily; the first statement tells whether it is a database.
    QSqlQuery probe(db);
    if (!probe.exec(QStringLiteral("PRAGMA schema_version"))) {
        qCritical().noquote() << "DbConfig::DbConfig" << fileName << "is not a usable database, records are not kept:"
                              << probe.lastError().text();
        d->broken = true;
        return;
    }
    // A write-ahead log makes each counter update one cheap append; the
    // counters themselves are also in the working file.
    probe.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    probe.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    exec(QString::fromLatin1(kCreateWorkData));
    exec(QString::fromLatin1(kCreateTaskWorkTab));
}

DbConfig::~DbConfig()
{
    {
        QSqlDatabase db = QSqlDatabase::database(d->ownerName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(d->ownerName);
}

bool DbConfig::isUsable() const
{
    Scope scope(d.get());
    return scope.db().isValid();
}

bool DbConfig::exec(const QString &statement, const QVariantList &values)
{
    Scope scope(d.get());
    QSqlDatabase db = scope.db();
    if (!db.isValid())
        return false;
    QSqlQuery query(db);
    const bool ok = runQuery(query, statement, values);
    if (!ok)
        qCritical().noquote() << "DbConfig::exec" << statement << " failed" << query.lastError().text();
    return ok;
}

bool DbConfig::select(const QString &statement, QList<QVariantList> &rows, const QVariantList &values)
{
    Scope scope(d.get());
    QSqlDatabase db = scope.db();
    if (!db.isValid())
        return false;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    const bool ok = runQuery(query, statement, values);
    if (!ok) {
        qCritical().noquote() << "DbConfig::select" << statement << " failed" << query.lastError().text();
        return false;
    }
    const int columns = query.record().count();
    while (query.next()) {
        QVariantList row;
        row.reserve(columns);
        for (int c = 0; c < columns; ++c)
            row.append(query.value(c));
        rows.append(row);
    }
    return true;
}

QString DbConfig::dateWhere(const QDate &from, const QDate &to, const QString &format)
{
    QString where;
    if (from.isValid() && to.isValid())
        where = QStringLiteral(" WHERE date >= '%1' and date <= '%2' ").arg(from.toString(format), to.toString(format));
    else if (from.isValid())
        where = QStringLiteral(" WHERE date >= '%1' ").arg(from.toString(format));
    else if (to.isValid())
        where = QStringLiteral(" WHERE date <= '%1' ").arg(to.toString(format));
    return where + QStringLiteral("ORDER BY date DESC");
}

bool DbConfig::monthTables(QList<QVariantList> &rows, const QDate &from, const QDate &to)
{
    rows.clear();
    const bool ok = select(QStringLiteral("SELECT * FROM t_task_work_tab ") + dateWhere(from, to, QStringLiteral("yyyy_MM")), rows);
    if (!ok)
        rows.clear();
    return ok;
}

bool DbConfig::createMonthTables(const QDate &date)
{
    Scope scope(d.get());
    const QString month = date.toString(QStringLiteral("yyyy_MM"));
    if (month.isEmpty())
        return false;
    const QString work = QStringLiteral("t_work_record_%1").arg(month);
    const QString task = QStringLiteral("t_task_record_%1").arg(month);
    if (work == d->currentWorkTable && task == d->currentTaskTable)
        return true;
    if (!exec(QString::fromLatin1(kCreateWorkRecord).arg(work)) || !exec(QString::fromLatin1(kCreateTaskRecord).arg(task))
        || !exec(QStringLiteral("INSERT OR IGNORE INTO t_task_work_tab VALUES(?, ?, ?)"), {month, work, task}))
        return false;
    d->currentWorkTable = work;
    d->currentTaskTable = task;
    return true;
}

quint32 DbConfig::maxTaskCode()
{
    Scope scope(d.get());
    if (d->lastTaskCode != 0)
        return ++d->lastTaskCode;
    QList<QVariantList> months;
    if (!monthTables(months, QDate(), QDate()))
        return 0;
    // A new month's table is still empty: walk back until a month has codes,
    // so codes keep rising across the change of month.
    for (const QVariantList &month : std::as_const(months)) {
        if (month.size() < 3)
            continue;
        QList<QVariantList> rows;
        if (!select(QStringLiteral("SELECT MAX(code) FROM %1").arg(month.at(2).toString()), rows))
            return 0;
        if (!rows.isEmpty() && !rows.first().isEmpty() && !rows.first().first().isNull()) {
            d->lastTaskCode = rows.first().first().toUInt();
            break;
        }
    }
    return ++d->lastTaskCode;
}

bool DbConfig::selectTaskRecord(quint32 code, TaskRecord &out)
{
    Scope scope(d.get());
    QList<QVariantList> months;
    if (!monthTables(months, QDate(), QDate()) || months.isEmpty() || months.first().size() < 3)
        return false;
    for (const QVariantList &month : std::as_const(months)) {
        if (month.size() < 3)
            continue;
        QList<QVariantList> rows;
        if (select(QStringLiteral("SELECT * FROM %1 WHERE code = ?").arg(month.at(2).toString()), rows, {code})
            && !rows.isEmpty())
            return toTaskRecord(rows.first(), out);
    }
    return false;
}

bool DbConfig::selectWorkRecord(const QDateTime &timestamp, WorkRecord &out)
{
    Scope scope(d.get());
    QList<QVariantList> months;
    if (!monthTables(months, QDate(), QDate()) || months.isEmpty() || months.first().size() < 3)
        return false;
    for (const QVariantList &month : std::as_const(months)) {
        if (month.size() < 3)
            continue;
        QList<QVariantList> rows;
        if (select(QStringLiteral("SELECT * FROM %1 WHERE timestamp = ?").arg(month.at(1).toString()), rows,
                   {timestamp.toMSecsSinceEpoch()})
            && !rows.isEmpty())
            return toWorkRecord(rows.first(), out);
    }
    return false;
}

bool DbConfig::toTaskRecord(const QVariantList &row, TaskRecord &out)
{
    if (row.size() != 10)
        return false;
    out.timestamp = fromMs(row.at(0));
    out.work_record_timestamp = fromMs(row.at(1));
    out.code = row.at(2).toUInt();
    out.dataIndex = row.at(3).toInt();
    out.printCopies = row.at(4).toUInt();
    out.printTime = fromMs(row.at(5));
    out.cutCopies = row.at(6).toUInt();
    out.cutTime = fromMs(row.at(7));
    out.checkCopies = row.at(8).toUInt();
    out.checkTime = fromMs(row.at(9));
    return true;
}

bool DbConfig::toWorkRecord(const QVariantList &row, WorkRecord &out)
{
    if (row.size() != 7)
        return false;
    out.timestamp = fromMs(row.at(0));
    out.cut_file = row.at(1).toString();
    out.cut_cnt = row.at(2).toUInt();
    out.print_file = row.at(3).toString();
    out.print_cnt = row.at(4).toUInt();
    out.dataSourceFile = row.at(5).toString();
    out.check_cnt = row.at(6).toUInt();
    return true;
}

bool DbConfig::updateWorkData(const WorkData &data)
{
    Scope scope(d.get());
    const QString day = data.date.toString(QStringLiteral("yyyy-MM-dd"));
    QList<QVariantList> rows;
    if (!select(QStringLiteral("SELECT * FROM t_work_data WHERE date = ?"), rows, {day}))
        return false;
    const QVariantList counts{lengthValue(data.cut_len), lengthValue(data.print_len), data._copies, data.scan_mark,
                              data.scan_mark_ok};
    if (rows.isEmpty())
        return exec(QStringLiteral("INSERT INTO t_work_data VALUES(?, ?, ?, ?, ?, ?)"), QVariantList{day} + counts);
    return exec(QStringLiteral("UPDATE t_work_data set cut_len = ?, print_len = ?, _copies = ?, scan_mark = ?, "
                               "scan_mark_ok = ? WHERE date = ?"),
                counts + QVariantList{day});
}

bool DbConfig::findRecord(const char *origin, const char *nullText, const QDateTime &timestamp, bool taskTable,
                          QString &table, bool &exists)
{
    if (!timestamp.isValid()) {
        qCritical().noquote() << origin << nullText;
        return false;
    }
    if (!createMonthTables(timestamp.date()))
        return false;
    table = taskTable ? d->currentTaskTable : d->currentWorkTable;
    QList<QVariantList> rows;
    if (!select(QStringLiteral("SELECT * FROM %1 WHERE timestamp = ?").arg(table), rows, {timestamp.toMSecsSinceEpoch()}))
        return false;
    exists = !rows.isEmpty();
    return true;
}

bool DbConfig::updateWorkRecord(const WorkRecord &record, quint32 &kind)
{
    Scope scope(d.get());
    QString table;
    bool exists = false;
    if (!findRecord("DbConfig::updateWorkRecord", "timestamp is NULL", record.timestamp, false, table, exists))
        return false;
    const qint64 ts = record.timestamp.toMSecsSinceEpoch();
    if (!exists)
        return exec(QStringLiteral("INSERT INTO %1 VALUES(?, ?, ?, ?, ?, ?, ?)").arg(table),
                    {ts, record.cut_file, record.cut_cnt, record.print_file, record.print_cnt, record.dataSourceFile,
                     record.check_cnt});
    if (kind == DbCutUpdate)
        return exec(QStringLiteral("UPDATE %1 set cut_cnt = ? WHERE timestamp = ?").arg(table), {record.cut_cnt, ts});
    if (kind == DbPrintUpdate)
        return exec(QStringLiteral("UPDATE %1 set print_cnt = ? WHERE timestamp = ?").arg(table), {record.print_cnt, ts});
    return false;
}

bool DbConfig::updateTaskRecord(const TaskRecord &record, quint32 &kind)
{
    Scope scope(d.get());
    QString table;
    bool exists = false;
    if (!findRecord("DbConfig::updateTaskRecord", "Timestamp is NULL", record.timestamp, true, table, exists))
        return false;
    const qint64 ts = record.timestamp.toMSecsSinceEpoch();
    if (!exists)
        return exec(QStringLiteral("INSERT INTO %1 VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)").arg(table),
                    {ts, ms(record.work_record_timestamp), record.code, record.dataIndex,
                     record.printCopies, ms(record.printTime), record.cutCopies,
                     ms(record.cutTime), record.checkCopies, ms(record.checkTime)});
    if (kind == DbCutUpdate)
        return exec(QStringLiteral("UPDATE %1 set cutCopies = ?, cutTime = ? WHERE timestamp = ?").arg(table),
                    {record.cutCopies, ms(record.cutTime), ts});
    if (kind == DbPrintUpdate)
        return exec(QStringLiteral("UPDATE %1 set printCopies = ?, printTime = ? WHERE timestamp = ?").arg(table),
                    {record.printCopies, ms(record.printTime), ts});
    return false;
}
