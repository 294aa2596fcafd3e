#include "tests/configuration/ConfigFixture.h"
#include "configuration/records/Log.h"
#include "tests/support/TestMain.h"

#include <QTextCodec>
#include <QThread>

#include <memory>
#include <thread>

namespace {

QString logName(int daysAgo)
{
    return QStringLiteral("output%1.log").arg(QDate::currentDate().addDays(-daysAgo).toString(QStringLiteral("yyyy-MM-dd")));
}

const QString kStamp = QStringLiteral("\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}\\.\\d{3}");

} // namespace

// The log file: its lines, level gates, threads and pruning; text decoding and file copies.
class LogTest : public QObject
{
    Q_OBJECT

    QtMessageHandler m_testHandler = nullptr;

private slots:
    void init()
    {
        // initLog replaces the test framework's handler process-wide: keep it to put it back.
        m_testHandler = qInstallMessageHandler(nullptr);
        qInstallMessageHandler(m_testHandler);
        enterFreshDir();
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
    void linesAndGates()
    {
        initLog();
        QCOMPARE(logFileName(), QStringLiteral("./log/") + logName(0));
        qDebug() << "hidden";
        qInfo().noquote() << " \n\t 读到 12 个标记\n second line \t\n";
        qWarning() << "shown";
        setLogDebug(true);
        qDebug() << "debug now";
        setLogInfo(false);
        setLogWarn(false);
        qInfo() << "dropped";
        qWarning() << "dropped";
        initLog(); // a second start on the same day appends
        qCritical() << "again";
        const QString text = QString::fromUtf8(readAll(logFileName()));
        const QRegularExpression lines(QStringLiteral("^INFO %1 读到 12 个标记\n second line\nWARN %1 shown\n"
                                                      "DEBUG %1 debug now\nERROR %1 again\n$").arg(kStamp));
        QVERIFY2(lines.match(text).hasMatch(), qPrintable(text));
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
        QVERIFY(worker->wait(60000));
        const QStringList lines = QString::fromUtf8(readAll(logFileName())).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 300);
        for (const QString &l : lines)
            QVERIFY2(QRegularExpression(QStringLiteral("^INFO %1 thread [012] item \\d+$").arg(kStamp)).match(l).hasMatch(), qPrintable(l));
    }

    void pruningKeepsSevenFiles()
    {
        for (int days = 0; days < 10; ++days)
            QVERIFY(writeFile(QStringLiteral("log/") + logName(days), "old\n"));
        QVERIFY(writeFile(QStringLiteral("log/notes.txt"), "not a log"));
        initLog();
        qInfo() << "started";
        QStringList kept;
        for (int days = 0; days <= 6; ++days)
            kept.prepend(logName(days));
        QCOMPARE(QDir(QStringLiteral("log")).entryList({QStringLiteral("*.log")}, QDir::Files, QDir::Name), kept);
        QVERIFY(QFile::exists(QStringLiteral("log/notes.txt")));
    }

    void decodeTextUtf8ElseGbk()
    {
        const QString chinese = QStringLiteral("生产标签 第12卷");
        QCOMPARE(decodeText(chinese.toUtf8()), chinese);
        QCOMPARE(decodeText(QTextCodec::codecForName("GBK")->fromUnicode(chinese)), chinese);
    }

    void copyFileReplacesItsDestinationOnly()
    {
        QByteArray bytes;
        for (int i = 0; i < 200000; ++i)
            bytes += char((i * 7) % 256);
        QVERIFY(writeFile(QStringLiteral("source.bin"), bytes));
        QVERIFY(writeFile(QStringLiteral("dest.bin"), QByteArray(300000, 'x')));
        QVERIFY(copyFile(QStringLiteral("source.bin"), QStringLiteral("dest.bin")));
        // Onto itself under another spelling of its path: the file is not emptied first.
        QVERIFY(copyFile(QStringLiteral("source.bin"), QDir::currentPath() + QStringLiteral("/./source.bin")));
        QCOMPARE(readAll(QStringLiteral("source.bin")), bytes);
        // Nothing to read or nowhere to write: said, and the destination stays.
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^copyFile 无法打开文件 .*missing.bin"));
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^copyFile 无法打开文件 .*nowhere/dest.bin"));
        QVERIFY(!copyFile(QStringLiteral("missing.bin"), QStringLiteral("dest.bin")));
        QVERIFY(!copyFile(QStringLiteral("source.bin"), QStringLiteral("nowhere/dest.bin")));
        QCOMPARE(readAll(QStringLiteral("dest.bin")), bytes);
    }
};

DRAVO_TEST_MAIN(LogTest)
#include "tst_log.moc"
