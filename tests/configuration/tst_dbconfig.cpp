#include "DbConfig.h"
#include "TestFiles.h"
#include "TestMain.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

namespace {

// Collects every message of the process while alive, so tests can count the
// critical lines a failure produces.
QMutex g_messagesLock;
QList<QPair<QtMsgType, QString>> g_messages;

void collectMessage(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    QMutexLocker lock(&g_messagesLock);
    g_messages.append({type, text});
}

class MessageCatcher
{
public:
    MessageCatcher()
    {
        QMutexLocker lock(&g_messagesLock);
        g_messages.clear();
        m_previous = qInstallMessageHandler(collectMessage);
    }
    ~MessageCatcher() { qInstallMessageHandler(m_previous); }
    QStringList lines(QtMsgType type) const
    {
        QMutexLocker lock(&g_messagesLock);
        QStringList out;
        for (const auto &m : std::as_const(g_messages))
            if (m.first == type)
                out << m.second;
        return out;
    }

private:
    QtMessageHandler m_previous = nullptr;
};

QDateTime at(int y, int m, int d, int h = 12) { return QDateTime(QDate(y, m, d), QTime(h, 0)); }

QList<QVariantList> rowsOf(DbConfig &db, const QString &sql, const QVariantList &values = {})
{
    QList<QVariantList> rows;
    if (!db.select(sql, rows, values))
        qWarning().noquote() << "rowsOf" << sql << "failed";
    return rows;
}

QStringList tableNames(DbConfig &db)
{
    QStringList names;
    for (const QVariantList &row : rowsOf(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'")))
        names << row.first().toString();
    names.sort();
    return names;
}

bool addTask(DbConfig &db, const QDateTime &ts, quint32 code, qint32 dataIndex = 0)
{
    TaskRecord r;
    r.timestamp = ts;
    r.work_record_timestamp = ts.addSecs(-60);
    r.code = code;
    r.dataIndex = dataIndex;
    quint32 kind = DbPrintUpdate;
    return db.updateTaskRecord(r, kind);
}

bool addWork(DbConfig &db, const QDateTime &ts, const QString &cutFile = QStringLiteral("a.plt"))
{
    WorkRecord w;
    w.timestamp = ts;
    w.cut_file = cutFile;
    w.cut_cnt = 3;
    w.print_file = QStringLiteral("a.pdf");
    w.print_cnt = 4;
    w.dataSourceFile = QStringLiteral("a.xlsx");
    w.check_cnt = 5;
    quint32 kind = DbCutUpdate;
    return db.updateWorkRecord(w, kind);
}

} // namespace

class DbConfigTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        QFile::remove(QStringLiteral("config.db"));
        QFile::remove(QStringLiteral("plain"));
        QFile::setPermissions(QStringLiteral("readonly"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QDir(QStringLiteral("readonly")).removeRecursively();
    }

    void freshDatabaseHasDayAndMonthTables()
    {
        MessageCatcher catcher;
        DbConfig db;
        QVERIFY(db.isUsable());
        QVERIFY(QFile::exists(QStringLiteral("config.db")));
        QCOMPARE(tableNames(db), QStringList({"t_task_work_tab", "t_work_data"}));
        QStringList columns;
        for (const QVariantList &row : rowsOf(db, QStringLiteral("PRAGMA table_info(t_work_data)")))
            columns << row.at(1).toString();
        QCOMPARE(columns, QStringList({"date", "cut_len", "print_len", "_copies", "scan_mark", "scan_mark_ok"}));
        QList<QVariantList> months{QVariantList{1}};
        QVERIFY(db.monthTables(months, QDate(), QDate()));
        QVERIFY(months.isEmpty());
        QVERIFY(catcher.lines(QtCriticalMsg).isEmpty());
    }

    void recordsGoToTheTablesOfTheirMonth()
    {
        DbConfig db;
        QVERIFY(addWork(db, at(2024, 4, 30, 23)));
        QVERIFY(addTask(db, at(2024, 5, 1, 0), 1));
        QVERIFY(addTask(db, at(2024, 5, 2), 2));
        QCOMPARE(tableNames(db), QStringList({"t_task_record_2024_04", "t_task_record_2024_05", "t_task_work_tab",
                                              "t_work_data", "t_work_record_2024_04", "t_work_record_2024_05"}));
        QList<QVariantList> months;
        QVERIFY(db.monthTables(months, QDate(), QDate()));
        QCOMPARE(months, QList<QVariantList>({{"2024_05", "t_work_record_2024_05", "t_task_record_2024_05"},
                                              {"2024_04", "t_work_record_2024_04", "t_task_record_2024_04"}}));
        QVERIFY(db.monthTables(months, QDate(2024, 5, 1), QDate()));
        QCOMPARE(months.size(), 1);
        QCOMPARE(rowsOf(db, QStringLiteral("SELECT COUNT(*) FROM t_task_record_2024_05")).first().first().toInt(), 2);
        QCOMPARE(rowsOf(db, QStringLiteral("SELECT COUNT(*) FROM t_work_record_2024_04")).first().first().toInt(), 1);
    }

    void freshTaskCodesStartAtOne()
    {
        DbConfig db;
        QCOMPARE(db.maxTaskCode(), 1u);
        QCOMPARE(db.maxTaskCode(), 2u);
    }

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
            QVERIFY(addTask(db, at(2024, 4, 3), 3));
            QVERIFY(addTask(db, at(2024, 5, 3), emptyNewestMonth ? 5 : 7));
            QVERIFY(addTask(db, at(2024, 5, 4), emptyNewestMonth ? 7 : 2));
            // A job booked in a new month creates its task table before any code lands there.
            if (emptyNewestMonth)
                QVERIFY(addWork(db, at(2024, 6, 1)));
        }
        DbConfig db;
        QCOMPARE(db.maxTaskCode(), 8u);
        QCOMPARE(db.maxTaskCode(), 9u);
    }

    void selectTaskRecordPrefersNewestMonth()
    {
        DbConfig db;
        QVERIFY(addTask(db, at(2024, 4, 9), 5, 1));
        QVERIFY(addTask(db, at(2024, 5, 9), 5, 2));
        QVERIFY(addTask(db, at(2024, 3, 9), 6, -1));
        TaskRecord out;
        QVERIFY(db.selectTaskRecord(5, out));
        QCOMPARE(out.dataIndex, 2);
        QCOMPARE(out.timestamp, at(2024, 5, 9));
        QCOMPARE(out.work_record_timestamp, at(2024, 5, 9).addSecs(-60));
        QVERIFY(db.selectTaskRecord(6, out));
        QCOMPARE(out.dataIndex, -1);
        QVERIFY(!db.selectTaskRecord(99, out));
    }

    void rowThatCannotBeConvertedIsAFailure()
    {
        DbConfig db;
        QVERIFY(db.exec(QStringLiteral("CREATE TABLE t_task_record_2030_01(timestamp INTEGER, code INTEGER)")));
        QVERIFY(db.exec(QStringLiteral("INSERT INTO t_task_record_2030_01 VALUES(1, 9)")));
        QVERIFY(db.exec(QStringLiteral("INSERT INTO t_task_work_tab VALUES(?, ?, ?)"),
                        {"2030_01", "t_work_record_2030_01", "t_task_record_2030_01"}));
        TaskRecord out;
        QVERIFY(!db.selectTaskRecord(9, out));
        WorkRecord work;
        QVERIFY(!DbConfig::toWorkRecord(QVariantList(6, QVariant(0)), work));
        QVERIFY(DbConfig::toWorkRecord(QVariantList(7, QVariant(0)), work));
        QVERIFY(!DbConfig::toTaskRecord(QVariantList(11, QVariant(0)), out));
    }

    void updateWorkRecordKinds_data()
    {
        QTest::addColumn<quint32>("kind");
        QTest::addColumn<bool>("result");
        QTest::addColumn<int>("cutCnt");
        QTest::addColumn<int>("printCnt");
        QTest::newRow("print") << quint32(DbPrintUpdate) << true << 3 << 40;
        QTest::newRow("cut") << quint32(DbCutUpdate) << true << 30 << 4;
        QTest::newRow("other") << 2u << false << 3 << 4;
    }
    void updateWorkRecordKinds()
    {
        QFETCH(quint32, kind);
        QFETCH(bool, result);
        QFETCH(int, cutCnt);
        QFETCH(int, printCnt);
        DbConfig db;
        const QDateTime ts = at(2024, 5, 20);
        QVERIFY(addWork(db, ts));
        WorkRecord w;
        w.timestamp = ts;
        w.cut_file = QStringLiteral("changed.plt");
        w.cut_cnt = 30;
        w.print_cnt = 40;
        w.check_cnt = 50;
        QCOMPARE(db.updateWorkRecord(w, kind), result);
        WorkRecord out;
        QVERIFY(db.selectWorkRecord(ts, out));
        QCOMPARE(int(out.cut_cnt), cutCnt);
        QCOMPARE(int(out.print_cnt), printCnt);
        QCOMPARE(out.cut_file, QStringLiteral("a.plt"));
        QCOMPARE(out.check_cnt, 5u);
    }

    void updateTaskRecordKinds_data()
    {
        QTest::addColumn<quint32>("kind");
        QTest::addColumn<bool>("result");
        QTest::addColumn<bool>("printChanged");
        QTest::addColumn<bool>("cutChanged");
        QTest::newRow("print") << quint32(DbPrintUpdate) << true << true << false;
        QTest::newRow("cut") << quint32(DbCutUpdate) << true << false << true;
        QTest::newRow("other") << 7u << false << false << false;
    }
    void updateTaskRecordKinds()
    {
        QFETCH(quint32, kind);
        QFETCH(bool, printChanged);
        QFETCH(bool, cutChanged);
        QFETCH(bool, result);
        DbConfig db;
        const QDateTime ts = at(2024, 5, 21);
        QVERIFY(addTask(db, ts, 11, 4));
        TaskRecord r;
        r.timestamp = ts;
        r.code = 12;
        r.printCopies = 2;
        r.printTime = ts.addSecs(10);
        r.cutCopies = 3;
        r.cutTime = ts.addSecs(20);
        r.checkCopies = 4;
        r.checkTime = ts.addSecs(30);
        QCOMPARE(db.updateTaskRecord(r, kind), result);
        TaskRecord out;
        QVERIFY(db.selectTaskRecord(11, out));
        QCOMPARE(out.dataIndex, 4);
        QCOMPARE(out.printCopies, printChanged ? 2u : 0u);
        QCOMPARE(out.printTime, printChanged ? r.printTime : QDateTime::fromMSecsSinceEpoch(0));
        QCOMPARE(out.cutCopies, cutChanged ? 3u : 0u);
        QCOMPARE(out.cutTime, cutChanged ? r.cutTime : QDateTime::fromMSecsSinceEpoch(0));
        QCOMPARE(out.checkCopies, 0u);
    }

    void nullTimestampIsRefused()
    {
        MessageCatcher catcher;
        DbConfig db;
        WorkRecord w;
        TaskRecord t;
        quint32 kind = DbPrintUpdate;
        QVERIFY(!db.updateWorkRecord(w, kind));
        QVERIFY(!db.updateTaskRecord(t, kind));
        QCOMPARE(catcher.lines(QtCriticalMsg),
                 QStringList({"DbConfig::updateWorkRecord timestamp is NULL", "DbConfig::updateTaskRecord Timestamp is NULL"}));
        QCOMPARE(tableNames(db).size(), 2);
    }

    void dayRowIsReplacedNotSummed()
    {
        DbConfig db;
        WorkData day{QDate(2024, 5, 6), 1.5f, 2.5f, 10, 20, 19};
        QVERIFY(db.updateWorkData(day));
        day = {QDate(2024, 5, 6), 1.2345678f, 0.75f, 3, 4, 2};
        QVERIFY(db.updateWorkData(day));
        QVERIFY(db.updateWorkData({QDate(2024, 5, 7), 9, 9, 9, 9, 9}));
        const auto rows = rowsOf(db, QStringLiteral("SELECT * FROM t_work_data ORDER BY date"));
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows.first(), QVariantList({"2024-05-06", 1.23457, 0.75, 3, 4, 2}));
        QCOMPARE(rows.last().first().toString(), QStringLiteral("2024-05-07"));
    }

    void dateWhere_data()
    {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QString>("clause");
        const QDate a(2024, 4, 1), b(2024, 5, 31);
        QTest::newRow("none") << QDate() << QDate() << "ORDER BY date DESC";
        QTest::newRow("both") << a << b << " WHERE date >= '2024_04' and date <= '2024_05' ORDER BY date DESC";
        QTest::newRow("from") << a << QDate() << " WHERE date >= '2024_04' ORDER BY date DESC";
        QTest::newRow("to") << QDate() << b << " WHERE date <= '2024_05' ORDER BY date DESC";
    }
    void dateWhere()
    {
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QString, clause);
        QCOMPARE(DbConfig::dateWhere(from, to, QStringLiteral("yyyy_MM")), clause);
    }

    void valuesAreStoredExactly()
    {
        DbConfig db;
        const QDateTime ts = at(2024, 5, 22);
        WorkRecord w;
        w.timestamp = ts;
        w.cut_file = QStringLiteral("D:/jobs/O'Brien's labels/标签.plt");
        w.print_file = QStringLiteral("x'); DROP TABLE t_work_data; --");
        w.dataSourceFile = QStringLiteral("''\"\\%_?");
        quint32 kind = DbCutUpdate;
        QVERIFY(db.updateWorkRecord(w, kind));
        WorkRecord out;
        QVERIFY(db.selectWorkRecord(ts, out));
        QCOMPARE(out.cut_file, w.cut_file);
        QCOMPARE(out.print_file, w.print_file);
        QCOMPARE(out.dataSourceFile, w.dataSourceFile);
        QCOMPARE(out.timestamp, ts);
        QVERIFY(tableNames(db).contains(QStringLiteral("t_work_data")));
        QVERIFY(!db.selectWorkRecord(ts.addMSecs(1), out));
    }

    void callsFromSeveralThreads()
    {
        MessageCatcher catcher;
        DbConfig db;
        constexpr int kThreads = 4;
        constexpr int kEach = 25;
        const qint64 base = at(2024, 5, 10).toMSecsSinceEpoch();
        QMutex lock;
        QList<quint32> codes;
        std::atomic<int> failures{0};
        auto work = [&](int t) {
            for (int i = 0; i < kEach; ++i) {
                const quint32 code = db.maxTaskCode();
                TaskRecord r;
                r.timestamp = QDateTime::fromMSecsSinceEpoch(base + t * 1000 + i);
                r.code = code;
                quint32 kind = DbPrintUpdate;
                if (code == 0 || !db.updateTaskRecord(r, kind))
                    ++failures;
                r.cutCopies = 1;
                kind = DbCutUpdate;
                if (!db.updateTaskRecord(r, kind) || !db.updateWorkData({QDate(2024, 5, 10 + t), 0, 0, quint32(i), 0, 0}))
                    ++failures;
                QMutexLocker locker(&lock);
                codes << code;
            }
        };
        std::unique_ptr<QThread> first(QThread::create(work, 0));
        std::unique_ptr<QThread> second(QThread::create(work, 1));
        first->start();
        second->start();
        std::thread third(work, 2);
        work(3); // the thread that opened the database takes part too
        third.join();
        QVERIFY(first->wait(30000));
        QVERIFY(second->wait(30000));

        QCOMPARE(failures.load(), 0);
        std::sort(codes.begin(), codes.end());
        QCOMPARE(codes.size(), kThreads * kEach);
        for (int i = 0; i < codes.size(); ++i)
            QCOMPARE(codes.at(i), quint32(i + 1));
        const auto stored = rowsOf(db, QStringLiteral("SELECT COUNT(DISTINCT code), SUM(cutCopies) FROM t_task_record_2024_05"));
        QCOMPARE(stored.first(), QVariantList({kThreads * kEach, kThreads * kEach}));
        QCOMPARE(rowsOf(db, QStringLiteral("SELECT _copies FROM t_work_data")),
                 QList<QVariantList>(kThreads, QVariantList{kEach - 1}));
        QVERIFY2(catcher.lines(QtWarningMsg).isEmpty(), qPrintable(catcher.lines(QtWarningMsg).join('\n')));
        QVERIFY(catcher.lines(QtCriticalMsg).isEmpty());
    }

    void fileThatIsNoDatabaseIsLeftAlone()
    {
        QByteArray notes;
        for (int i = 0; i < 100; ++i)
            notes += "operator notes, line " + QByteArray::number(i) + ": not a database\n";
        QVERIFY(writeFile(QStringLiteral("config.db"), notes));
        {
            MessageCatcher catcher;
            DbConfig db;
            QVERIFY(!db.isUsable());
            QCOMPARE(db.maxTaskCode(), 0u);
            QVERIFY(!db.updateWorkData({QDate(2024, 5, 6), 1, 1, 1, 1, 1}));
            QVERIFY(!addWork(db, at(2024, 5, 6)));
            QVERIFY(!addTask(db, at(2024, 5, 6), 1));
            TaskRecord out;
            QVERIFY(!db.selectTaskRecord(1, out));
            bool otherThread = true;
            std::thread([&] { otherThread = db.exec(QStringLiteral("CREATE TABLE x(a)")); }).join();
            QVERIFY(!otherThread);
            const QStringList critical = catcher.lines(QtCriticalMsg);
            QCOMPARE(critical.size(), 1);
            QVERIFY(critical.first().startsWith(QStringLiteral("DbConfig::DbConfig")));
            QVERIFY(critical.first().contains(QStringLiteral("config.db")));
        }
        QCOMPARE(readAll(QStringLiteral("config.db")), notes);
    }

    void unusableFolder_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<bool>("existing");
        QTest::newRow("read-only folder") << "readonly/config.db" << false;
        QTest::newRow("database in read-only folder") << "readonly/config.db" << true;
        QTest::newRow("folder is a plain file") << "plain/config.db" << false;
        QTest::newRow("system folder") << "/proc/dravo-config.db" << false;
    }
    void unusableFolder()
    {
        QFETCH(QString, fileName);
        QFETCH(bool, existing);
        QByteArray before;
        if (fileName.startsWith(QLatin1String("readonly"))) {
            QVERIFY(QDir().mkpath(QStringLiteral("readonly")));
            if (existing) {
                DbConfig seed(fileName);
                QVERIFY(addTask(seed, at(2024, 5, 6), 1));
            }
            before = readAll(fileName);
            QVERIFY(QFile::setPermissions(QStringLiteral("readonly"), QFile::ReadOwner | QFile::ExeOwner));
            QFile probe(QStringLiteral("readonly/probe"));
            if (probe.open(QIODevice::WriteOnly))
                QSKIP("this user may write into read-only folders");
        } else if (fileName.startsWith(QLatin1String("plain"))) {
            QVERIFY(writeFile(QStringLiteral("plain"), {}));
        }
        {
            MessageCatcher catcher;
            DbConfig db(fileName);
            QVERIFY(!db.isUsable());
            QCOMPARE(db.maxTaskCode(), 0u);
            QVERIFY(!db.updateWorkData({QDate(2024, 5, 6), 1, 1, 1, 1, 1}));
            QVERIFY(!addTask(db, at(2024, 5, 7), 2));
            const QStringList critical = catcher.lines(QtCriticalMsg);
            QCOMPARE(critical.size(), 1);
            QVERIFY(critical.first().startsWith(QStringLiteral("DbConfig::DbConfig")));
            QVERIFY(critical.first().contains(fileName));
        }
        QCOMPARE(QFile::exists(fileName), existing);
        QCOMPARE(readAll(fileName), before);
    }
};

DRAVO_TEST_MAIN(DbConfigTest)
#include "tst_dbconfig.moc"
