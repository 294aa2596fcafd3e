#include "SimController.h"
#include "TestFiles.h"
#include "TestMain.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QUuid>
#include <csignal>
#include <unistd.h>

// The real program in a folder of its own, under a name of its own: the
// single-copy guard is keyed by the file name, so a copy running elsewhere on
// the machine does not count; and bound to a controller identity of its own
// (serial()), so a simulator that runs elsewhere is never adopted. A watchdog shell outlives the test: however the
// test ends (a failure, its time-out, ctest's SIGKILL) its stdin closes and it
// kills every process of this binary, restarted (detached) copies too (three
// sweeps: a copy may be starting its successor during the first), and removes
// the folder.
struct ProgramCopy
{
    ProgramCopy()
    {
        const QString bin = qEnvironmentVariable("DRAVO_BIN_DIR") + QLatin1Char('/');
        ok = m_dir.isValid() && (::link(QFile::encodeName(bin + "dravolinte"), QFile::encodeName(program())) == 0
                                   || QFile::copy(bin + "dravolinte", program()));
        for (const QString &folder : {QStringLiteral("config/"), QStringLiteral("translations/")}) {
            QDir().mkpath(path(folder));
            for (const QString &file : QDir(bin + folder).entryList(QDir::Files))
                ok = ok && QFile::copy(bin + folder + file, path(folder + file));
        }
        m_watchdog.start("/bin/sh", {"-c", "exec >/dev/null 2>&1; cat; for i in 1 2 3; do for e in $(find /proc/[0-9]*/exe"
                                           " -maxdepth 0 -lname \"$0\" 2>/dev/null); do e=${e%/exe}; kill -9 ${e#/proc/};"
                                           " done; sleep 0.2; done; rm -rf \"${0%/*}\"", program()});
        ok = ok && m_watchdog.waitForStarted(10000);
    }
    ~ProgramCopy() { m_watchdog.closeWriteChannel(), m_watchdog.waitForFinished(30000); }

    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString program() const { return path(QStringLiteral("Dravolinte-") + m_name); }
    QString serial() const { return m_name.left(4); }
    bool start(const QStringList &arguments = {}, QProcess *other = nullptr)
    {
        QProcess &p = other ? *other : process;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel); // a sanitizer's reports show in the test's output
        p.setWorkingDirectory(m_dir.path());
        p.start(program(), arguments);
        return p.waitForStarted(10000);
    }
    bool stop() { return process.terminate(), process.waitForFinished(30000) && process.exitCode() == 0; }
    QString log() const
    {
        QString text;
        for (const QFileInfo &file : QDir(path("log")).entryInfoList({"*.log"}, QDir::Files, QDir::Name))
            text += QString::fromUtf8(readAll(file.absoluteFilePath()));
        return text;
    }
    template <typename Text> int count(const Text &text) const { return int(log().count(text)); }
    // A start takes a fraction of a second, and seconds on a loaded machine.
    template <typename Text> bool waitForCount(const Text &text, int n) const { return QTest::qWaitFor([&] { return count(text) >= n; }, 60000); }
    bool isOurs(qint64 pid) const { return QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(pid)) == program(); }
    QString ini(const QString &key) const { return QSettings(path("config.ini"), QSettings::IniFormat).value(key).toString(); }

    QTemporaryDir m_dir{QDir::current().absoluteFilePath(QStringLiteral("program-XXXXXX"))};
    QString m_name = QUuid::createUuid().toString(QUuid::Id128).left(12);
    QProcess m_watchdog;
    QProcess process;
    bool ok = false;
};

// Written by initApp, after the command line and the guard.
static const QRegularExpression kInitialised(QStringLiteral("OcrLite::initModels (model |Failed to initialize models\\.)"));

class TestProgram : public QObject
{
    Q_OBJECT
private slots:
    void secondCopyRefusedCrashedCopyNot();
    void findsAndLinksItsController();
    void otherVersionRestartsTheProgram();
};

void TestProgram::secondCopyRefusedCrashedCopyNot()
{
    ProgramCopy copy;
    // Test mode takes the exact first argument only: "test" with more after it, not "tests" or "Test".
    const QString testMode = QStringLiteral("DravolinteApp::setEnabledTest true");
    QVERIFY(copy.ok && writeFile(copy.path("config.ini"), "[Dravolinte]\nVersion=3\nIdent=SM07x5" + copy.serial().toLatin1())
            && copy.start({"tests"}));
    QVERIFY(copy.waitForCount(QStringLiteral("mqttMessage::connectToServer"), 1)); // one second into the event loop
    QProcess second;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(copy.start({"test", "x"}, &second));
    QVERIFY(second.waitForFinished(60000) && second.exitCode() == 255); // -1, once the box closed itself after three seconds
    QVERIFY2(clock.elapsed() >= 2900, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(copy.count(QStringLiteral("main Instance Is Running!")), 1);
    QCOMPARE(copy.count(kInitialised), 1);
    QCOMPARE(copy.count(testMode), 1);
    QCOMPARE(copy.process.state(), QProcess::Running);

    copy.process.kill(); // no clean-up: the guard's block stays behind
    QVERIFY(copy.process.waitForFinished(10000) && copy.start({"Test"}));
    QVERIFY(copy.waitForCount(kInitialised, 2));
    QCOMPARE(copy.count(QStringLiteral("Instance Is Running!")), 1);
    QCOMPARE(copy.count(testMode), 1);
    QVERIFY(copy.stop());
    QVERIFY(copy.log().contains(QStringLiteral("main exit 0")));
}

void TestProgram::findsAndLinksItsController()
{
    ProgramCopy copy;
    QVERIFY(copy.ok && writeFile(copy.path("config.ini"), "[Dravolinte]\nVersion=3\nIdent=SM07x5" + copy.serial().toLatin1()));
    SimController sim;
    QVERIFY(sim.start({QStringLiteral("--announce-interval"), QStringLiteral("200"), QStringLiteral("--serial"), copy.serial()}));
    QVERIFY(copy.start({"x", "test"}));
    QVERIFY(copy.waitForCount(QStringLiteral("Varnok120X::link Connect succeed ") + sim.address(), 1));
    QVERIFY(QTest::qWaitFor([&] { // the link's initial reads
        const QStringList commands = sim.receivedCommands();
        return commands.contains("1,0,0,0,0,0;") && commands.contains("17;") && commands.contains("6,0,0,0;");
    }, 60000));
    QCOMPARE(copy.count(QStringLiteral("main start")), 1);
    QVERIFY(!copy.log().contains(QStringLiteral("DravolinteApp::setEnabledTest true")));
    QCOMPARE(copy.ini(QStringLiteral("Dravolinte/Version")), QStringLiteral("3"));
    QVERIFY(copy.stop());
    QVERIFY(sim.waitForLine(QStringLiteral("DISCONNECT"), 30000));
}

void TestProgram::otherVersionRestartsTheProgram()
{
    ProgramCopy copy;
    // A first start (no "config.ini" yet, the working file "tmp.ini"): the controller decides the version.
    QVERIFY(copy.ok && writeFile(copy.path("tmp.ini"), "[Dravolinte]\nIdent=SM07x6" + copy.serial().toLatin1()));
    SimController sim;
    QVERIFY(sim.start({QStringLiteral("--announce-interval"), QStringLiteral("200"), QStringLiteral("--type"), QStringLiteral("07x6"),
                       QStringLiteral("--serial"), copy.serial()}));
    QVERIFY(copy.start());
    QVERIFY(copy.process.waitForFinished(60000) && copy.process.exitCode() == 0);
    QVERIFY(copy.log().contains(QStringLiteral("Notifier::information 机器连接成功，重启完成初始化")));
    QCOMPARE(copy.ini(QStringLiteral("Dravolinte/Version")), QStringLiteral("4"));

    // The new, detached copy runs on the version's parameters and links again.
    QVERIFY(copy.waitForCount(QStringLiteral("Varnok120X::link Connect succeed ") + sim.address(), 2));
    QCOMPARE(copy.ini(QStringLiteral("Dravolinte/Ident")), "SM07x6" + copy.serial());
    static const QRegularExpression started(QStringLiteral("main start \\S+ (\\d+)"));
    QList<qint64> pids;
    for (auto it = started.globalMatch(copy.log()); it.hasNext();)
        pids << it.next().captured(1).toLongLong();
    QCOMPARE(pids.size(), 2);
    QVERIFY(pids.at(1) != pids.at(0) && copy.isOurs(pids.at(1)));
    QCOMPARE(copy.count(QStringLiteral("main exit 777")), 1);
    QCOMPARE(copy.count(QStringLiteral("Instance Is Running!")), 0);
    ::kill(pid_t(pids.at(1)), SIGTERM);
    QVERIFY(QTest::qWaitFor([&] { return !copy.isOurs(pids.at(1)); }, 30000));
    QVERIFY(copy.log().contains(QStringLiteral("main exit 0")));
}

DRAVO_TEST_MAIN(TestProgram)
#include "tst_program.moc"
