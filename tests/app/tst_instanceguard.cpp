#include "InstanceGuard.h"
#include "TestMain.h"

#include <QProcess>
#include <QTest>

#include <cstdio>
#include <thread>

// A key of this run's own, so that the test never meets the program's guard.
static QString testKey()
{
    return QStringLiteral("tst_instanceguard-%1").arg(QCoreApplication::applicationPid());
}

class TestInstanceGuard : public QObject
{
    Q_OBJECT
private slots:
    void secondHolderRefused();
    void releasedGuardCanBeTaken();
    void crashedHolderDoesNotLockOut();

private:
    // Starts this program as a holder of key that never lets go.
    bool startHolder(QProcess &holder, const QString &key);
};

void TestInstanceGuard::secondHolderRefused()
{
    const QString key = testKey() + QStringLiteral("-a");
    InstanceGuard first(key);
    QVERIFY(first.acquire());
    QVERIFY(first.isHeld());
    InstanceGuard second(key);
    QVERIFY(!second.acquire());
    QVERIFY(!second.isHeld());
    // The refused copy's attach and detach leave the holder's block alone.
    second.release();
    InstanceGuard third(key);
    QVERIFY(!third.acquire());
}

void TestInstanceGuard::releasedGuardCanBeTaken()
{
    const QString key = testKey() + QStringLiteral("-b");
    InstanceGuard first(key);
    QVERIFY(first.acquire());
    first.release();
    InstanceGuard second(key);
    QVERIFY(second.acquire());
}

bool TestInstanceGuard::startHolder(QProcess &holder, const QString &key)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DRAVO_GUARD_HOLDER"), key);
    holder.setProcessEnvironment(env);
    holder.start(QCoreApplication::applicationFilePath(), QStringList());
    return holder.waitForReadyRead(10000) && holder.readLine().trimmed() == "HELD";
}

void TestInstanceGuard::crashedHolderDoesNotLockOut()
{
    const QString key = testKey() + QStringLiteral("-c");
    QProcess holder;
    QVERIFY(startHolder(holder, key));
    {
        InstanceGuard whileAlive(key);
        QVERIFY(!whileAlive.acquire());
    }
    // SIGKILL: the holder dies without detaching, its block stays behind.
    holder.kill();
    QVERIFY(holder.waitForFinished(5000));
    InstanceGuard afterCrash(key);
    QVERIFY(afterCrash.acquire());
}

int main(int argc, char **argv)
{
    const QByteArray holderKey = qgetenv("DRAVO_GUARD_HOLDER");
    if (!holderKey.isEmpty()) {
        QCoreApplication app(argc, argv);
        InstanceGuard guard(QString::fromUtf8(holderKey));
        std::printf("%s\n", guard.acquire() ? "HELD" : "REFUSED");
        std::fflush(stdout);
        // Holds on until killed; the parent's SIGKILL is the crash under test.
        std::this_thread::sleep_for(std::chrono::seconds(60));
        return 0;
    }
    QCoreApplication app(argc, argv);
    TestInstanceGuard test;
    return runTestInTempDir(argc, argv, &test, false);
}
#include "tst_instanceguard.moc"
