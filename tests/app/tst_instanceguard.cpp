#include "InstanceGuard.h"
#include "TestMain.h"

#include <QProcess>

#include <cstdio>
#include <thread>

// The single-copy guard, on keys of this run's own so that it never meets the program's.
class TestInstanceGuard : public QObject
{
    Q_OBJECT
    static QString key(const char *suffix)
    {
        return QStringLiteral("tst_instanceguard-%1-%2").arg(QCoreApplication::applicationPid()).arg(suffix);
    }

private slots:
    // A second holder is refused, and its attach and detach leave the
    // holder's block alone; once released, the guard can be taken.
    void secondHolderRefused()
    {
        InstanceGuard first(key("a"));
        QVERIFY(first.acquire() && first.isHeld());
        InstanceGuard second(key("a"));
        QVERIFY(!second.acquire() && !second.isHeld());
        second.release();
        QVERIFY(!InstanceGuard(key("a")).acquire());
        first.release();
        QVERIFY(InstanceGuard(key("a")).acquire());
    }

    // A holder killed without detaching (SIGKILL) leaves its block behind:
    // the next copy starts all the same.
    void crashedHolderDoesNotLockOut()
    {
        QProcess holder;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DRAVO_GUARD_HOLDER"), key("c"));
        holder.setProcessEnvironment(env);
        holder.start(QCoreApplication::applicationFilePath(), QStringList());
        QVERIFY(holder.waitForReadyRead(30000) && holder.readLine().trimmed() == "HELD");
        QVERIFY(!InstanceGuard(key("c")).acquire());
        holder.kill();
        QVERIFY(holder.waitForFinished(30000));
        QVERIFY(InstanceGuard(key("c")).acquire());
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QByteArray holderKey = qgetenv("DRAVO_GUARD_HOLDER");
    if (holderKey.isEmpty()) {
        TestInstanceGuard test;
        return runTestInTempDir(argc, argv, &test, false);
    }
    // A holder that never lets go; the parent's SIGKILL is the crash under test.
    InstanceGuard guard(QString::fromUtf8(holderKey));
    std::printf("%s\n", guard.acquire() ? "HELD" : "REFUSED");
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::seconds(60));
    return 0;
}
#include "tst_instanceguard.moc"
