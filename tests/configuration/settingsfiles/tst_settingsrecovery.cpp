#include "configuration/Config.h"
#include "tests/configuration/ConfigFixture.h"
#include "configuration/settingsfiles/ParamFile.h"
#include "tests/support/ProgramCopy.h"
#include "tests/support/SimController.h"
#include "tests/support/TestMain.h"

#include <QElapsedTimer>
#include <QLockFile>
#include <QRandomGenerator>
#include <QSysInfo>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <thread>
#include <sys/time.h>

// What a crash leaves beside the settings files, met at the next start: lock
// files without a live owner are cleared at once, a live owner's lock is
// waited for; a working file that cannot be read is kept aside before it is
// rewritten.
class TestSettingsRecovery : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        m_dir = enterFreshDir();
    }
    void cleanup() { QLoggingCategory::setFilterRules(QString()); }

    void lockWithoutLiveOwnerRemoved_data();
    void lockWithoutLiveOwnerRemoved();
    void liveOwnerRespected();
    void unreadableFileKeptAside_data();
    void unreadableFileKeptAside();
    void emptyLockDoesNotHoldTheProgramBack();

private:
    // A second process that holds path's lock until its stdin closes.
    static bool startHolder(QProcess &holder, const QString &path)
    {
        holder.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold-lock"), path});
        return holder.waitForStarted(10000)
            && QTest::qWaitFor([&] { return holder.canReadLine() || holder.state() != QProcess::Running; }, 30000)
            && holder.readLine() == "held\n";
    }

    QString m_dir;
};

void TestSettingsRecovery::lockWithoutLiveOwnerRemoved_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("contents"); // "killed": left by a holder killed while it held the lock
    QTest::addColumn<bool>("removed");
    // {cat}: a live process that runs "cat"; {here}: this machine's host, machine and boot ids.
    QTest::newRow("empty, working file") << "config.ini" << QByteArray() << true;
    QTest::newRow("empty, fallback file") << "tmp.ini" << QByteArray() << true;
    QTest::newRow("empty, saved defaults") << "configDefault.ini" << QByteArray() << true;
    QTest::newRow("owner killed") << "config.ini" << QByteArray("killed") << true;
    QTest::newRow("id now another program's") << "tmp.ini" << QByteArray("{cat}\nDravolinte\n{here}\n") << true;
    QTest::newRow("earlier boot") << "config.ini" << QByteArray("{cat}\ncat\n{host}\n{machine}\nanother-boot\n") << true;
    QTest::newRow("running copy") << "config.ini" << QByteArray("{cat}\ncat\n{here}\n") << false;
    QTest::newRow("another machine's") << "configDefault.ini" << QByteArray("{cat}\nDravolinte\nthere\nanother-machine\n{boot}\n")
                                       << false;
}

void TestSettingsRecovery::lockWithoutLiveOwnerRemoved()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, contents);
    QFETCH(bool, removed);
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    const QString lock = m_dir + QLatin1Char('/') + file + QStringLiteral(".lock");
    // Runs until its stdin closes, with the test however it ends.
    struct Cat : QProcess
    {
        ~Cat() { closeWriteChannel(), waitForFinished(10000); }
    } cat;
    cat.start(QStringLiteral("cat"));
    QVERIFY(cat.waitForStarted(10000));
    if (contents == "killed") {
        QProcess holder;
        QVERIFY(startHolder(holder, lock));
        const QByteArray owner = QByteArray::number(holder.processId()) + '\n';
        holder.kill();
        QVERIFY(holder.waitForFinished(10000));
        QVERIFY(readAll(lock).startsWith(owner));
    } else {
        contents.replace("{here}", "{host}\n{machine}\n{boot}");
        contents.replace("{cat}", QByteArray::number(cat.processId()));
        contents.replace("{host}", QSysInfo::machineHostName().toUtf8());
        contents.replace("{machine}", QSysInfo::machineUniqueId());
        contents.replace("{boot}", QSysInfo::bootUniqueId());
        QVERIFY(writeFile(lock, contents));
    }
    const QByteArray before = readAll(lock);

    MessageLog infos(QtInfoMsg);
    ParamFile settings(m_dir);
    const QStringList said = infos.lines().filter(QStringLiteral("SettingsRecovery::clearStaleLock removed ") + lock);
    QCOMPARE(said.size(), removed ? 1 : 0);
    QCOMPARE(QFile::exists(lock), !removed);
    if (!removed)
        QCOMPARE(readAll(lock), before);
}

// Another copy of the program holds the lock while it writes: the lock stays,
// and a write waits for it rather than writing alongside.
void TestSettingsRecovery::liveOwnerRespected()
{
    QVERIFY(writeFile("config.ini", "[Dravolinte]\nIdent=before\n"));
    QProcess holder;
    QVERIFY(startHolder(holder, m_dir + QStringLiteral("/config.ini.lock")));
    const QByteArray owner = QByteArray::number(holder.processId()) + '\n';

    ParamFile settings(m_dir);
    settings.open();
    QVERIFY(readAll("config.ini.lock").startsWith(owner));
    std::atomic<bool> written{false};
    std::thread writer([&] {
        settings.write(QStringLiteral("Dravolinte/Ident"), QStringLiteral("after"));
        written = true;
    });
    const bool waited = !written && readAll("config.ini").contains("Ident=before");
    holder.closeWriteChannel(); // the owner is done
    QVERIFY(holder.waitForFinished(30000));
    QTRY_VERIFY_WITH_TIMEOUT(written, 30000);
    writer.join();
    QVERIFY(waited);
    QCOMPARE(iniValue("config.ini", "Dravolinte/Ident").toString(), QStringLiteral("after"));
}

void TestSettingsRecovery::unreadableFileKeptAside_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("working file") << "config.ini";
    QTest::newRow("fallback file") << "tmp.ini";
}

// Twice in a row, as after two crashes within the same second: two copies,
// each byte for byte the file as it was, and the file rewritten with every key.
void TestSettingsRecovery::unreadableFileKeptAside()
{
    QFETCH(QString, file);
    QLoggingCategory::setFilterRules(QStringLiteral("default.info=false\ndefault.debug=false"));
    QRandomGenerator random(24);
    QList<QByteArray> written;
    for (int start = 0; start < 2; ++start) {
        // Of another size each time: the settings class would take an unchanged size and time for an unchanged file.
        QByteArray bytes(3000 - start, '\0');
        for (char &c : bytes)
            c = char(random.bounded(256));
        QVERIFY(writeFile(file, bytes));
        written << bytes;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^ParamFile::open %1/%2 has lines that are not "
                                                                             "settings: .* kept as %1/%2\\.bad-\\d{8}-\\d{6}(-2)?$")
                                                                  .arg(QRegularExpression::escape(m_dir), QRegularExpression::escape(file))));
        Config config(m_dir);
        QCOMPARE(config.settingsFileName(), m_dir + QLatin1Char('/') + file);
    }
    const QStringList copies = QDir(m_dir).entryList({file + QStringLiteral(".bad-*")}, QDir::Files, QDir::Name);
    QCOMPARE(copies.size(), 2);
    QCOMPARE(readAll(copies.at(0)), written.at(0));
    QCOMPARE(readAll(copies.at(1)), written.at(1));
    QCOMPARE(QSettings(file, QSettings::IniFormat).status(), QSettings::NoError);
    QCOMPARE(iniValue(file, "Dravolinte/Version").toString(), QStringLiteral("0"));
}

// An empty lock, as a kill between its creation and its owner's id leaves it,
// beside a good working file: the program starts and links as always. The
// settings class would take the lock for stale once it is 30 s old; kept
// fresh here, it would hold the first write of the settings back for good, so
// a start that links at all has cleared it, however slowly the program runs.
void TestSettingsRecovery::emptyLockDoesNotHoldTheProgramBack()
{
    ProgramCopy copy;
    QVERIFY(copy.ok && writeFile(copy.path("config.ini"), "[Dravolinte]\nVersion=3\nIdent=SM07x5" + copy.serial().toLatin1()));
    const QByteArray lock = QFile::encodeName(copy.path("config.ini.lock"));
    QVERIFY(writeFile(lock, QByteArray()));
    QTimer fresh;
    // Touched while it is there, never made again (the program's own locks come and go meanwhile).
    connect(&fresh, &QTimer::timeout, this, [&lock] { ::utimes(lock.constData(), nullptr); });
    fresh.start(1000);
    SimController sim;
    QVERIFY(sim.start({QStringLiteral("--announce-interval"), QStringLiteral("200"), QStringLiteral("--serial"), copy.serial()}));
    QElapsedTimer clock;
    clock.start();
    QVERIFY(copy.start({"x"}));
    QVERIFY(copy.waitForCount(QStringLiteral("Varnok120X::link Connect succeed ") + sim.address(), 1));
    fresh.stop();
    qInfo("linked %lld ms after the start", clock.elapsed());
    QCOMPARE(copy.count(QStringLiteral("SettingsRecovery::clearStaleLock removed ") + copy.path("config.ini.lock")), 1);
    QVERIFY(!QFile::exists(copy.path("config.ini.lock")));
    QVERIFY(copy.stop());
}

// Held by the second process of liveOwnerRespected and lockWithoutLiveOwnerRemoved.
static int holdLock(const QString &path)
{
    QLockFile lock(path);
    if (!lock.lock())
        return 1;
    std::fputs("held\n", stdout);
    std::fflush(stdout);
    while (std::fgetc(stdin) != EOF) {
    }
    return 0;
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--hold-lock") == 0)
        return holdLock(QString::fromLocal8Bit(argv[2]));
    TestSettingsRecovery test;
    return runTestInTempDir(argc, argv, &test, false);
}

#include "tst_settingsrecovery.moc"
