#include "Log.h"
#include "TestFiles.h"
#include "TestMain.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QRegularExpression>
#include <QTextCodec>
#include <QThread>

#include <memory>
#include <thread>

namespace {

QMutex g_messagesLock;
QStringList g_critical;

// Stands in for the log handler where a test only needs to see what was reported.
void collectCritical(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    QMutexLocker lock(&g_messagesLock);
    if (type == QtCriticalMsg)
        g_critical << text;
}

QString today() { return QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")); }

QString logName(int daysAgo)
{
    return QStringLiteral("output%1.log").arg(QDate::currentDate().addDays(-daysAgo).toString(QStringLiteral("yyyy-MM-dd")));
}

QStringList logFiles() { return QDir(QStringLiteral("log")).entryList({QStringLiteral("*.log")}, QDir::Files, QDir::Name); }

QList<QByteArray> logLines()
{
    QList<QByteArray> lines = readAll(logFileName()).split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

const QString kStamp = QStringLiteral("\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}\\.\\d{3}");

} // namespace

class LogTest : public QObject
{
    Q_OBJECT

    QtMessageHandler m_testHandler = nullptr;

private slots:
    void init()
    {
        // Remember the test framework's own handler: initLog replaces it process-wide.
        m_testHandler = qInstallMessageHandler(nullptr);
        qInstallMessageHandler(m_testHandler);
        QVERIFY(QDir(QStringLiteral("log")).removeRecursively());
        QMutexLocker lock(&g_messagesLock);
        g_critical.clear();
    }
    void cleanup()
    {
        qInstallMessageHandler(m_testHandler);
        setLogDebug(false);
        setLogInfo(true);
        setLogWarn(true);
        setLogError(true);
    }

    // Runs first: the gates' initial values are process state no setter has touched yet.
    void gatesStartWithDebugClosed()
    {
        initLog();
        qDebug() << "hidden";
        qInfo() << "shown";
        qWarning() << "shown";
        qCritical() << "shown";
        const QList<QByteArray> lines = logLines();
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines.at(0).startsWith("INFO "));
        QVERIFY(lines.at(1).startsWith("WARN "));
        QVERIFY(lines.at(2).startsWith("ERROR "));
    }

    void gatesFollowTheSetters()
    {
        initLog();
        setLogDebug(true);
        qDebug() << "debug now written";
        setLogError(false);
        qCritical() << "error dropped";
        setLogInfo(false);
        qInfo() << "info dropped";
        setLogWarn(false);
        qWarning() << "warn dropped";
        setLogError(true);
        qCritical() << "error written again";
        const QList<QByteArray> lines = logLines();
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines.at(0).startsWith("DEBUG ") && lines.at(0).endsWith(" debug now written"));
        QVERIFY(lines.at(1).startsWith("ERROR ") && lines.at(1).endsWith(" error written again"));
    }

    void lineFormat()
    {
        initLog();
        QCOMPARE(logFileName(), QStringLiteral("./log/output%1.log").arg(today()));
        qInfo().noquote() << " \n\t 读到 12 个标记\n second line \t\n";
        const QString text = QString::fromUtf8(readAll(logFileName()));
        const QRegularExpression line(QStringLiteral("^INFO (%1) 读到 12 个标记\n second line\n$").arg(kStamp));
        const QRegularExpressionMatch match = line.match(text);
        QVERIFY2(match.hasMatch(), qPrintable(text));
        const QDateTime stamp = QDateTime::fromString(match.captured(1), QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
        QVERIFY(qAbs(stamp.secsTo(QDateTime::currentDateTime())) < 60);

        // A second start on the same day appends to the same file.
        initLog();
        qt_message_output(QtWarningMsg, QMessageLogContext(), QStringLiteral("again"));
        const QList<QByteArray> lines = logLines();
        QCOMPARE(lines.size(), 3);
        QVERIFY(QRegularExpression(QStringLiteral("^WARN %1 again$").arg(kStamp)).match(QString::fromUtf8(lines.last())).hasMatch());
    }

    void linesOfThreadsStayWhole()
    {
        initLog();
        auto write = [](int t) {
            for (int i = 0; i < 100; ++i)
                qInfo().noquote() << "thread" << t << "item" << i;
        };
        std::unique_ptr<QThread> worker(QThread::create(write, 1));
        worker->start();
        std::thread other(write, 2);
        write(0);
        other.join();
        QVERIFY(worker->wait(10000));
        const QList<QByteArray> lines = logLines();
        QCOMPARE(lines.size(), 300);
        const QRegularExpression shape(QStringLiteral("^INFO %1 thread [012] item \\d+$").arg(kStamp));
        for (const QByteArray &l : lines)
            QVERIFY2(shape.match(QString::fromUtf8(l)).hasMatch(), l.constData());
    }

    void pruning_data()
    {
        QTest::addColumn<QList<int>>("daysAgo"); // of the files already there
        QTest::addColumn<QList<int>>("kept");
        QTest::newRow("10 old, none of today") << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10} << QList<int>{1, 2, 3, 4, 5, 6};
        QTest::newRow("10 with today's") << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9} << QList<int>{0, 1, 2, 3, 4, 5, 6};
        QTest::newRow("6 old") << QList<int>{1, 2, 3, 4, 5, 6} << QList<int>{1, 2, 3, 4, 5, 6};
        QTest::newRow("no folder") << QList<int>{} << QList<int>{};
    }
    void pruning()
    {
        QFETCH(QList<int>, daysAgo);
        QFETCH(QList<int>, kept);
        if (!daysAgo.isEmpty()) {
            QVERIFY(QDir().mkpath(QStringLiteral("log")));
            QVERIFY(writeFile(QStringLiteral("log/notes.txt"), "not a log"));
        }
        for (int days : daysAgo)
            QVERIFY(writeFile(QStringLiteral("log/") + logName(days), "old\n"));
        initLog();
        QStringList expected;
        for (int days : kept)
            expected << logName(days);
        expected.sort();
        QCOMPARE(logFiles(), expected);
        QCOMPARE(QFile::exists(QStringLiteral("log/notes.txt")), !daysAgo.isEmpty());

        qInfo() << "started";
        if (!expected.contains(logName(0)))
            expected << logName(0);
        QCOMPARE(logFiles(), expected);
        QVERIFY(logFiles().size() <= 7);
    }

    // A fatal message aborts the process after writing its line; that cannot run inside this test.

    void decodeText_data()
    {
        QTextCodec *gbk = QTextCodec::codecForName("GBK");
        QVERIFY(gbk);
        const QString chinese = QStringLiteral("生产标签 第12卷");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("UTF-8") << chinese.toUtf8() << chinese;
        QTest::newRow("GBK") << gbk->fromUnicode(chinese) << chinese;
        QTest::newRow("ASCII") << QByteArray("LOT-0042 ok") << QStringLiteral("LOT-0042 ok");
        QTest::newRow("empty") << QByteArray() << QString();
    }
    void decodeText()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(::decodeText(bytes), text);
    }

    void copyFileReplacesDestination()
    {
        QByteArray source;
        for (int i = 0; i < 200000; ++i)
            source += char((i * 7) % 256);
        QVERIFY(writeFile(QStringLiteral("source.bin"), source));
        QVERIFY(writeFile(QStringLiteral("dest.bin"), QByteArray(300000, 'x')));
        QVERIFY(copyFile(QStringLiteral("source.bin"), QStringLiteral("dest.bin")));
        QCOMPARE(readAll(QStringLiteral("dest.bin")), source);
        QVERIFY(copyFile(QStringLiteral("source.bin"), QStringLiteral("new.bin")));
        QCOMPARE(readAll(QStringLiteral("new.bin")), source);
        // Onto itself, under another spelling of the same path.
        QVERIFY(copyFile(QStringLiteral("source.bin"), QDir::currentPath() + QStringLiteral("/./source.bin")));
        QCOMPARE(readAll(QStringLiteral("source.bin")), source);
    }

    void copyFileFailures_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("destination");
        QTest::addColumn<QString>("reported");
        QTest::newRow("missing source") << "missing.bin" << "dest.bin" << "missing.bin";
        QTest::newRow("destination folder missing") << "source.bin" << "nowhere/dest.bin" << "nowhere/dest.bin";
    }
    void copyFileFailures()
    {
        QFETCH(QString, source);
        QFETCH(QString, destination);
        QFETCH(QString, reported);
        QVERIFY(writeFile(QStringLiteral("source.bin"), "source"));
        QVERIFY(writeFile(QStringLiteral("dest.bin"), "keep me"));
        qInstallMessageHandler(collectCritical);
        const bool ok = copyFile(source, destination);
        qInstallMessageHandler(m_testHandler);
        QVERIFY(!ok);
        QCOMPARE(readAll(QStringLiteral("dest.bin")), QByteArray("keep me"));
        QCOMPARE(g_critical.size(), 1);
        QVERIFY(g_critical.first().startsWith(QStringLiteral("copyFile 无法打开文件")));
        QVERIFY(g_critical.first().endsWith(reported));
    }
};

DRAVO_TEST_MAIN(LogTest)
#include "tst_log.moc"
