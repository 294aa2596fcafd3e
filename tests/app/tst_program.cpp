#include "Config.h"
#include "SimController.h"
#include "TestFiles.h"
#include "TestMain.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

// The real program, copied with its files into a folder of its own and run
// there headless: the single-copy guard, the command line, discovery and
// linking against the simulated controller, and the restart.
class ProgramCopy
{
public:
    ProgramCopy()
    {
        const QString bin = qEnvironmentVariable("DRAVO_BIN_DIR");
        m_ok = m_dir.isValid() && QFile::copy(bin + QStringLiteral("/Dravolinte"), program())
            && copyFolder(bin + QStringLiteral("/config"), path(QStringLiteral("config")))
            && copyFolder(bin + QStringLiteral("/translations"), path(QStringLiteral("translations")));
        m_process.setWorkingDirectory(m_dir.path());
        m_process.setProcessChannelMode(QProcess::MergedChannels);
    }
    ~ProgramCopy()
    {
        // Whatever copy of this folder's program still runs (a restarted one
        // too) ends with the test.
        for (qint64 pid : startedPids()) {
            if (isOurs(pid))
                ::kill(pid_t(pid), SIGKILL);
        }
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    bool ok() const { return m_ok; }
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString program() const { return path(QStringLiteral("Dravolinte")); }
    QProcess &process() { return m_process; }

    bool start(const QStringList &arguments = {})
    {
        m_process.start(program(), arguments);
        return m_process.waitForStarted(5000);
    }
    // A further copy of the same program, from the same folder.
    bool startAnother(QProcess &other, const QStringList &arguments = {})
    {
        other.setWorkingDirectory(m_dir.path());
        other.setProcessChannelMode(QProcess::MergedChannels);
        other.start(program(), arguments);
        return other.waitForStarted(5000);
    }
    bool stop(int timeoutMs = 10000)
    {
        m_process.terminate();
        return m_process.waitForFinished(timeoutMs);
    }

    // The text of the folder's log files.
    QString log() const
    {
        QString text;
        const QFileInfoList files = QDir(path(QStringLiteral("log"))).entryInfoList({QStringLiteral("*.log")}, QDir::Files, QDir::Name);
        for (const QFileInfo &file : files)
            text += QString::fromUtf8(readAll(file.absoluteFilePath()));
        return text;
    }
    int count(const QString &text) const { return int(log().count(text)); }
    int count(const QRegularExpression &pattern) const { return int(log().count(pattern)); }
    template <typename Text> bool waitForCount(const Text &text, int n, int timeoutMs = 10000) const
    {
        return QTest::qWaitFor([&] { return count(text) >= n; }, timeoutMs);
    }
    // Copies of this folder's program that have started, by process id, in order.
    QList<qint64> startedPids() const
    {
        static const QRegularExpression started(QStringLiteral("main start \\S+ (\\d+)"));
        QList<qint64> pids;
        for (auto it = started.globalMatch(log()); it.hasNext();)
            pids << it.next().captured(1).toLongLong();
        return pids;
    }
    bool isOurs(qint64 pid) const
    {
        return QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget() == QFileInfo(program()).absoluteFilePath();
    }
    QString iniValue(const QString &key) const
    {
        return QSettings(path(QStringLiteral("config.ini")), QSettings::IniFormat).value(key).toString();
    }

private:
    static bool copyFolder(const QString &from, const QString &to)
    {
        QDir().mkpath(to);
        const QStringList files = QDir(from).entryList(QDir::Files);
        for (const QString &file : files) {
            if (!QFile::copy(from + QLatin1Char('/') + file, to + QLatin1Char('/') + file))
                return false;
        }
        return true;
    }

    QTemporaryDir m_dir{QDir::current().absoluteFilePath(QStringLiteral("program-XXXXXX"))};
    QProcess m_process;
    bool m_ok = false;
};

// Written by initApp, after the command line and the guard: the OCR set-up
// says once whether it found its language file.
static const QRegularExpression kInitialised(QStringLiteral("OcrLite::initModels (model |Failed to initialize models\\.)"));
// The online start-up, one second into the event loop.
static const QString kRunning = QStringLiteral("mqttMessage::connectToServer");

class TestProgram : public QObject
{
    Q_OBJECT
private slots:
    void secondCopyRefused();
    void crashedCopyDoesNotLockOut();
    void testModeOnlyForTheExactWord_data();
    void testModeOnlyForTheExactWord();
    void findsAdoptsAndLinksTheSimulator();
    void otherVersionRestartsTheProgram();
};

void TestProgram::secondCopyRefused()
{
    ProgramCopy copy;
    QVERIFY(copy.ok());
    QVERIFY(copy.start());
    QVERIFY(copy.waitForCount(kRunning, 1));

    QProcess second;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(copy.startAnother(second));
    QVERIFY(second.waitForFinished(15000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 255); // -1
    // The box closed itself after three seconds.
    QVERIFY2(clock.elapsed() >= 2900, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(copy.count(QStringLiteral("main Instance Is Running!")), 1);
    QCOMPARE(copy.count(kInitialised), 1);

    // The first copy runs on, and ends cleanly when asked.
    QCOMPARE(copy.process().state(), QProcess::Running);
    QVERIFY(copy.stop());
    QCOMPARE(copy.process().exitCode(), 0);
    QVERIFY(copy.log().contains(QStringLiteral("main exit 0")));
}

void TestProgram::crashedCopyDoesNotLockOut()
{
    ProgramCopy copy;
    QVERIFY(copy.ok());
    QVERIFY(copy.start());
    QVERIFY(copy.waitForCount(kInitialised, 1));
    copy.process().kill(); // SIGKILL: no clean-up, the guard's block stays behind
    QVERIFY(copy.process().waitForFinished(5000));

    QVERIFY(copy.start());
    QVERIFY(copy.waitForCount(kInitialised, 2));
    QVERIFY(!copy.log().contains(QStringLiteral("Instance Is Running!")));
    QVERIFY(copy.stop());
    QCOMPARE(copy.process().exitCode(), 0);
}

void TestProgram::testModeOnlyForTheExactWord_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("testMode");
    QTest::newRow("test") << QStringList{"test"} << true;
    QTest::newRow("test and more") << QStringList{"test", "x"} << true;
    QTest::newRow("Test") << QStringList{"Test"} << false;
    QTest::newRow("tests") << QStringList{"tests"} << false;
    QTest::newRow("second argument") << QStringList{"x", "test"} << false;
    QTest::newRow("none") << QStringList{} << false;
}

void TestProgram::testModeOnlyForTheExactWord()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, testMode);
    ProgramCopy copy;
    QVERIFY(copy.ok());
    QVERIFY(copy.start(arguments));
    QVERIFY(copy.waitForCount(kInitialised, 1));
    QCOMPARE(copy.log().contains(QStringLiteral("DravolinteApp::setEnabledTest true")), testMode);
    QVERIFY(copy.stop());
}

void TestProgram::findsAdoptsAndLinksTheSimulator()
{
    ProgramCopy copy;
    QVERIFY(copy.ok());
    // The working file already knows the machine version; no identity yet.
    writeFile(copy.path(QStringLiteral("config.ini")), "[Dravolinte]\nVersion=3\n");
    SimController sim;
    QVERIFY(sim.start({QStringLiteral("--announce-interval"), QStringLiteral("200")}));
    QVERIFY(copy.start());

    QVERIFY(QTest::qWaitFor([&] { return copy.iniValue(QStringLiteral("Dravolinte/Ident")) == QLatin1String("SM07x50001"); }, 10000));
    QCOMPARE(copy.iniValue(QStringLiteral("Dravolinte/Version")), QStringLiteral("3"));
    QVERIFY(copy.waitForCount(QStringLiteral("Varnok120X::link Connect succeed ") + sim.address(), 1));
    // The initial reads of the link reach the controller.
    QVERIFY(QTest::qWaitFor([&] {
        const QStringList commands = sim.receivedCommands();
        return commands.contains(QStringLiteral("1,0,0,0,0,0;")) && commands.contains(QStringLiteral("17;"))
            && commands.contains(QStringLiteral("6,0,0,0;"));
    }, 10000));
    QCOMPARE(copy.count(QStringLiteral("main start")), 1);

    QVERIFY(copy.stop());
    QCOMPARE(copy.process().exitCode(), 0);
    QVERIFY(sim.waitForLine(QStringLiteral("DISCONNECT"), 5000));
}

void TestProgram::otherVersionRestartsTheProgram()
{
    ProgramCopy copy;
    QVERIFY(copy.ok());
    // A first start (no "config.ini"): the first controller heard decides the version.
    SimController sim;
    QVERIFY(sim.start({QStringLiteral("--announce-interval"), QStringLiteral("200"), QStringLiteral("--type"),
                       QStringLiteral("07x6")}));
    QVERIFY(copy.start());
    QVERIFY(copy.process().waitForFinished(20000));
    QCOMPARE(copy.process().exitCode(), 0);
    QVERIFY(copy.log().contains(QStringLiteral("Notifier::information 机器连接成功，重启完成初始化")));
    QVERIFY(copy.log().contains(QStringLiteral("main exit 777")));
    QCOMPARE(copy.iniValue(QStringLiteral("Dravolinte/Version")), QStringLiteral("4"));
    QCOMPARE(copy.iniValue(QStringLiteral("Dravolinte/Ident")), QStringLiteral("SM07x60001"));

    // The new copy runs on the version's parameters and links again.
    QVERIFY(copy.waitForCount(QStringLiteral("main start"), 2));
    const QList<qint64> pids = copy.startedPids();
    QCOMPARE(pids.size(), 2);
    QVERIFY(pids.at(1) != pids.at(0));
    QVERIFY(copy.isOurs(pids.at(1)));
    QVERIFY(copy.waitForCount(QStringLiteral("Varnok120X::link Connect succeed ") + sim.address(), 2));
    QCOMPARE(copy.count(QStringLiteral("main exit 777")), 1);
    QVERIFY(!copy.log().contains(QStringLiteral("Instance Is Running!")));

    ::kill(pid_t(pids.at(1)), SIGTERM);
    QVERIFY(QTest::qWaitFor([&] { return !copy.isOurs(pids.at(1)); }, 10000));
    QVERIFY(copy.log().contains(QStringLiteral("main exit 0")));
}

DRAVO_TEST_MAIN(TestProgram)
#include "tst_program.moc"
