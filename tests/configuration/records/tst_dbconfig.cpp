#include "tests/configuration/ConfigFixture.h"
#include "configuration/records/DbConfig.h"
#include "tests/support/TestMain.h"

#include <QThread>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

namespace {

QDateTime at(int y, int m, int d, int h = 12) { return QDateTime(QDate(y, m, d), QTime(h, 0)); }

QList<QVariantList> rowsOf(DbConfig &db, const QString &sql)
{
    QList<QVariantList> rows;
    db.select(sql, rows);
    return rows;
}

QStringList column(DbConfig &db, const QString &sql, int index = 0)
{
    QStringList texts;
    for (const QVariantList &row : rowsOf(db, sql))
        texts << row.value(index).toString();
    return texts;
}

bool addTask(DbConfig &db, const QDateTime &ts, quint32 code, qint32 dataIndex = 0)
{
    quint32 kind = DbPrintUpdate;
    return db.updateTaskRecord({ts, ts.addSecs(-60), code, dataIndex, 0, {}, 0, {}, 0, {}}, kind);
}

bool addWork(DbConfig &db, const QDateTime &ts)
{
    quint32 kind = DbCutUpdate;
    return db.updateWorkRecord({ts, QStringLiteral("a.plt"), 3, QStringLiteral("a.pdf"), 4, QStringLiteral("a.xlsx"), 5}, kind);
}

} // namespace

// The production database on a real SQLite file: its tables, records, task
// codes, values, threads and the files it must leave alone.
class DbConfigTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { enterFreshDir(); }

    void recordsGoToTheTablesOfTheirMonth()
    {
        DbConfig db;
        QCOMPARE(column(db, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"),
                 QStringList({"t_task_work_tab", "t_work_data"}));
        QCOMPARE(column(db, "PRAGMA table_info(t_work_data)", 1),
                 QStringList({"date", "cut_len", "print_len", "_copies", "scan_mark", "scan_mark_ok"}));
        QVERIFY(addWork(db, at(2024, 4, 30, 23)) && addTask(db, at(2024, 4, 9), 5, 1) && addTask(db, at(2024, 5, 9), 5, 2));
        QList<QVariantList> months;
        QVERIFY(db.monthTables(months, QDate(), QDate()));
        QCOMPARE(months, QList<QVariantList>({{"2024_05", "t_work_record_2024_05", "t_task_record_2024_05"},
                                              {"2024_04", "t_work_record_2024_04", "t_task_record_2024_04"}}));
        QVERIFY(db.monthTables(months, QDate(2024, 5, 1), QDate()) && months.size() == 1);
        TaskRecord out;
        QVERIFY(db.selectTaskRecord(5, out) && !db.selectTaskRecord(99, out));
        QCOMPARE(QVariantList({out.dataIndex, out.timestamp, out.work_record_timestamp}),
                 QVariantList({2, at(2024, 5, 9), at(2024, 5, 9).addSecs(-60)})); // the newest month's

        // An update changes the fields of its kind only; an unknown kind changes nothing.
        const QDateTime cutTime = at(2024, 5, 9).addSecs(20);
        TaskRecord r{at(2024, 5, 9), {}, 12, -1, 2, {}, 3, cutTime, 4, {}};
        quint32 cut = DbCutUpdate, print = DbPrintUpdate, unknown = 7;
        QVERIFY(db.updateTaskRecord(r, cut) && !db.updateTaskRecord(r, unknown) && db.selectTaskRecord(5, out));
        QCOMPARE(QVariantList({out.code, out.dataIndex, out.printCopies, out.cutCopies, out.cutTime, out.checkCopies}),
                 QVariantList({5u, 2, 0u, 3u, cutTime, 0u}));
        QVERIFY(db.updateTaskRecord(r, print) && db.selectTaskRecord(5, out));
        QCOMPARE(QVariantList({out.printCopies, out.cutCopies}), QVariantList({2u, 3u}));
        const WorkRecord w{at(2024, 4, 30, 23), QStringLiteral("changed.plt"), 30, QString(), 40, QString(), 50};
        WorkRecord work;
        QVERIFY(db.updateWorkRecord(w, print) && !db.updateWorkRecord(w, unknown) && db.selectWorkRecord(w.timestamp, work));
        QCOMPARE(QVariantList({work.cut_file, work.cut_cnt, work.print_cnt, work.check_cnt}), QVariantList({"a.plt", 3u, 40u, 5u}));
    }

    // A new month without codes yet must not restart the codes at 1.
    void taskCodesContinueAfterRestart_data()
    {
        QTest::addColumn<bool>("emptyNewestMonth");
        QTest::newRow("newest month has codes") << false;
        QTest::newRow("newest month still empty") << true;
    }
    void taskCodesContinueAfterRestart()
    {
        QFETCH(bool, emptyNewestMonth);
        {
            DbConfig db;
            QCOMPARE(db.maxTaskCode(), 1u);
            QVERIFY(addTask(db, at(2024, 4, 3), 3));
            QVERIFY(addTask(db, at(2024, 5, 3), emptyNewestMonth ? 5 : 7));
            QVERIFY(addTask(db, at(2024, 5, 4), emptyNewestMonth ? 7 : 2));
            if (emptyNewestMonth)
                QVERIFY(addWork(db, at(2024, 6, 1))); // creates June's task table, empty
        }
        DbConfig db;
        QCOMPARE(db.maxTaskCode(), 8u);
        QCOMPARE(db.maxTaskCode(), 9u);
    }

    void valuesAreStoredExactly()
    {
        DbConfig db;
        const WorkRecord w{at(2024, 5, 22), QStringLiteral("D:/jobs/O'Brien's labels/标签.plt"), 0,
                           QStringLiteral("x'); DROP TABLE t_work_data; --"), 0, QStringLiteral("''\"\\%_?"), 0};
        quint32 kind = DbCutUpdate;
        QVERIFY(db.updateWorkRecord(w, kind));
        WorkRecord out;
        QVERIFY(db.selectWorkRecord(w.timestamp, out));
        QCOMPARE(QStringList({out.cut_file, out.print_file, out.dataSourceFile}),
                 QStringList({w.cut_file, w.print_file, w.dataSourceFile}));
        QVERIFY(!db.selectWorkRecord(w.timestamp.addMSecs(1), out));
        // A day's row is replaced, not summed.
        QVERIFY(db.updateWorkData({QDate(2024, 5, 6), 1.5f, 2.5f, 10, 20, 19}));
        QVERIFY(db.updateWorkData({QDate(2024, 5, 6), 1.2345678f, 0.75f, 3, 4, 2}));
        QCOMPARE(rowsOf(db, QStringLiteral("SELECT * FROM t_work_data")),
                 QList<QVariantList>({{"2024-05-06", 1.23457, 0.75, 3, 4, 2}}));
        // A row that does not convert is a failure, not a record of zeros; a record without a time is refused.
        QVERIFY(db.exec("CREATE TABLE t_task_record_2030_01(timestamp INTEGER, code INTEGER)")
                && db.exec("INSERT INTO t_task_record_2030_01 VALUES(1, 9)")
                && db.exec("INSERT INTO t_task_work_tab VALUES(?, ?, ?)", {"2030_01", "t_work_record_2030_01", "t_task_record_2030_01"}));
        TaskRecord task;
        QVERIFY(!db.selectTaskRecord(9, task));
        QTest::ignoreMessage(QtCriticalMsg, "DbConfig::updateTaskRecord Timestamp is NULL");
        QVERIFY(!db.updateTaskRecord(TaskRecord(), kind));
    }

    void callsFromSeveralThreads()
    {
        MessageLog warnings(QtWarningMsg);
        DbConfig db;
        constexpr int kThreads = 4, kEach = 25;
        const qint64 base = at(2024, 5, 10).toMSecsSinceEpoch();
        QMutex lock;
        QList<quint32> codes;
        std::atomic<int> failures{0};
        auto work = [&](int t) {
            for (int i = 0; i < kEach; ++i) {
                const quint32 code = db.maxTaskCode();
                const TaskRecord r{QDateTime::fromMSecsSinceEpoch(base + t * 1000 + i), {}, code, -1, 0, {}, 1, {}, 0, {}};
                quint32 print = DbPrintUpdate, cut = DbCutUpdate;
                if (code == 0 || !db.updateTaskRecord(r, print) || !db.updateTaskRecord(r, cut)
                    || !db.updateWorkData({QDate(2024, 5, 10 + t), 0, 0, quint32(i), 0, 0}))
                    ++failures;
                QMutexLocker locker(&lock);
                codes << code;
            }
        };
        std::unique_ptr<QThread> first(QThread::create(work, 0)), second(QThread::create(work, 1));
        first->start();
        second->start();
        std::thread third(work, 2);
        work(3); // the thread that opened the database takes part too
        third.join();
        QVERIFY(first->wait(60000) && second->wait(60000));
        QCOMPARE(failures.load(), 0);
        std::sort(codes.begin(), codes.end());
        for (int i = 0; i < kThreads * kEach; ++i)
            QCOMPARE(codes.value(i), quint32(i + 1));
        QCOMPARE(rowsOf(db, QStringLiteral("SELECT COUNT(DISTINCT code), SUM(cutCopies) FROM t_task_record_2024_05")),
                 QList<QVariantList>({{kThreads * kEach, kThreads * kEach}}));
        QCOMPARE(rowsOf(db, QStringLiteral("SELECT _copies FROM t_work_data")), QList<QVariantList>(kThreads, QVariantList{kEach - 1}));
        QCOMPARE(warnings.lines(), QStringList());
    }

    // One critical line, nothing kept, and the file left as it was.
    void unusableFiles_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("content"); // of the file there before
        QTest::newRow("not a database") << "config.db" << QByteArray("operator notes, not a database\n").repeated(50);
        QTest::newRow("folder that cannot be made, even by root") << "plain/config.db" << QByteArray();
    }
    void unusableFiles()
    {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, content);
        QVERIFY(writeFile(content.isEmpty() ? QStringLiteral("plain") : fileName, content));
        {
            MessageLog criticals;
            DbConfig db(fileName);
            QVERIFY(!db.isUsable() && db.maxTaskCode() == 0 && !addWork(db, at(2024, 5, 7)));
            QVERIFY(!db.updateWorkData({QDate(2024, 5, 6), 1, 1, 1, 1, 1}));
            bool otherThread = true;
            std::thread([&] { otherThread = db.exec(QStringLiteral("CREATE TABLE x(a)")); }).join();
            QVERIFY(!otherThread);
            QCOMPARE(criticals.lines().size(), 1);
            QVERIFY(criticals.lines().first().startsWith("DbConfig::DbConfig") && criticals.lines().first().contains(fileName));
        }
        QCOMPARE(QFile::exists(fileName), !content.isEmpty());
        QCOMPARE(readAll(fileName), content);
    }
};

DRAVO_TEST_MAIN(DbConfigTest)
#include "tst_dbconfig.moc"
