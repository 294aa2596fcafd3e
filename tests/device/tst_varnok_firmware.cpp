// Firmware for the controller's modules against the simulated controller:
// the file byte for byte in one frame, its progress, files that cannot be
// sent, and transfers that fall silent or lose their link.
#include "DriverFixture.h"
#include "FrameCodec.h"
#include "TestFiles.h"
#include "TestMain.h"

#include <QRegularExpression>
#include <QSignalSpy>

namespace {

// Bytes of every value, 0x02 and 0x03 among them.
QByteArray firmware(int size)
{
    QByteArray data(size, '\0');
    for (int i = 0; i < size; ++i)
        data[i] = char((i * 7 + i / 256) % 256);
    return data;
}

} // namespace

class TestVarnokFirmware : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DriverFixture> m_f;

private slots:
    void initTestCase()
    {
        m_f = std::make_unique<DriverFixture>();
        QVERIFY(m_f->link(QString(), {"--fault", "on UPG progress 100"}));
    }

    void cleanupTestCase() { m_f.reset(); }

    void init() { m_f->driver->setErrorMessage(QString()); }

    // The file's exact bytes after "UPG;<module>;", whole, and the progress
    // of the new transfer counted from nothing.
    void wholeFileInOneFrame()
    {
        DriverFixture &f = *m_f;
        f.driver->setUpdateProgress(100.0); // the last transfer's
        QSignalSpy progress(f.driver.get(), &Varnok120X::updateProgressChanged);
        const QByteArray data = firmware(300000);
        const int from = int(f.sim.received().size());
        f.driver->slotUpgrade(3, data, QVariantMap{{"ignored", 1}});
        QCOMPARE(f.driver->index(), 3);
        // A command right behind the frame is not mixed into it.
        QVERIFY(f.driver->rCutMotorStatus());
        QVERIFY(f.sim.waitFor([&](const QStringList &) { return f.sim.received().size() >= from + 2; }, 5000));
        const QList<QByteArray> frames = f.sim.received().mid(from);
        QVERIFY(frames.contains(FrameCodec::frameRaw("UPG;3;" + data)));
        QVERIFY(!f.sim.transcript().join('\n').contains("RX-BADLEN"));
        QTRY_COMPARE_WITH_TIMEOUT(f.driver->updateProgress(), 100.0, 3000);
        QVERIFY(progress.size() >= 2); // back to 0, then the controller's 100
        QVERIFY(!f.driver->isUpgrading());
    }

    // update() sends the file named by updateFile to the module of index.
    void updateFromFile()
    {
        DriverFixture &f = *m_f;
        const QByteArray data = firmware(1000);
        QVERIFY(writeFile(QStringLiteral("module.bin"), data));
        f.driver->setIndex(1);
        f.driver->setUpdateFile(QStringLiteral("module.bin"));
        const int from = int(f.sim.received().size());
        f.driver->update();
        QVERIFY(f.sim.waitFor([&](const QStringList &) { return f.sim.received().size() > from; }));
        QCOMPARE(f.sim.received().mid(from).value(0), FrameCodec::frameRaw("UPG;1;" + data));
        QCOMPARE(f.driver->errorMessage(), QString());
    }

    // Nothing to send: said so, the page's progress back at 0, nothing on the wire.
    void refusedFiles_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << "missing.bin" << QStringLiteral("无法读取固件文件：missing.bin");
        QTest::newRow("empty") << "empty.bin" << QStringLiteral("固件文件为空");
    }

    void refusedFiles()
    {
        QFETCH(QString, file);
        QFETCH(QString, message);
        DriverFixture &f = *m_f;
        QVERIFY(writeFile(QStringLiteral("empty.bin"), QByteArray()));
        f.driver->setUpdateFile(file);
        f.driver->setUpdateProgress(100.0);
        const int from = int(f.sim.received().size());
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Varnok120X::(update|slotUpgrade) "));
        f.driver->update();
        QCOMPARE(f.driver->errorMessage(), message);
        QCOMPARE(f.driver->updateProgress(), 0.0);
        QTest::qWait(50);
        QCOMPARE(int(f.sim.received().size()), from);
    }

    // A transfer that stops reporting, or whose link drops, no longer
    // counts as running: closing is not held up for ever.
    void silentTransferEnds()
    {
        DriverFixture f;
        QVERIFY(f.link(QString()));
        f.driver->setUpgradeStallLimit(300);
        f.driver->slotUpgrade(2, firmware(100), {});
        QVERIFY(f.sim.control("now progress 37.5"));
        QTRY_COMPARE_WITH_TIMEOUT(f.driver->updateProgress(), 37.5, 3000);
        QVERIFY(f.driver->isUpgrading());
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Varnok120X::checkUpgrade no progress for \\d+ ms at 37.5 %"));
        QTRY_COMPARE_WITH_TIMEOUT(f.driver->updateProgress(), 0.0, 3000);
        QVERIFY(!f.driver->isUpgrading());
        QCOMPARE(f.driver->errorMessage(), QString("固件升级中断，请重新升级"));
    }

    void droppedLinkEndsTransfer()
    {
        DriverFixture f;
        QVERIFY(f.link(QString()));
        f.driver->slotUpgrade(2, firmware(100), {});
        QVERIFY(f.sim.control("now progress 50"));
        QTRY_COMPARE_WITH_TIMEOUT(f.driver->updateProgress(), 50.0, 3000);
        QVERIFY(f.sim.control("now close"));
        QTRY_VERIFY_WITH_TIMEOUT(!f.driver->isLinked(), 3000);
        QVERIFY(!f.driver->isUpgrading());
        QTRY_COMPARE_WITH_TIMEOUT(f.driver->updateProgress(), 0.0, 3000);

        // Without a link nothing is sent, and the operator is told.
        f.driver->setErrorMessage(QString());
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Varnok120X::slotUpgrade not linked"));
        f.driver->slotUpgrade(2, firmware(100), {});
        QCOMPARE(f.driver->errorMessage(), QString("设备未连接，请重启设备或者选择设备 \n"));
    }
};

DRAVO_TEST_MAIN(TestVarnokFirmware)
#include "tst_varnok_firmware.moc"
