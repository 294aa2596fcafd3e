#include "views/cameras/CameraChoice.h"
#include "tests/support/TestMain.h"

Q_DECLARE_METATYPE(CameraChoice::Input)

// Which video inputs become the mark and the check camera.
class TestCameraChoice : public QObject
{
    Q_OBJECT
    using Inputs = QList<CameraChoice::Input>;

private slots:
    void choose_data();
    void choose();
    void restart_data();
    void restart();
};

namespace {
const CameraChoice::Input pc{QStringLiteral("/dev/video0"), QStringLiteral("PC Camera")};
const CameraChoice::Input pc2{QStringLiteral("/dev/video1"), QStringLiteral("PC Camera")};
const CameraChoice::Input usb{QStringLiteral("/dev/video2"), QStringLiteral("USB Camera")};
const CameraChoice::Input usb4k{QStringLiteral("/dev/video3"), QStringLiteral("USB 4K HD Camera")};
const CameraChoice::Input other{QStringLiteral("/dev/video4"), QStringLiteral("Integrated Webcam")};
} // namespace

void TestCameraChoice::choose_data()
{
    QTest::addColumn<QList<CameraChoice::Input>>("inputs");
    QTest::addColumn<QStringList>("stored"); // mark, check
    QTest::addColumn<bool>("detection");
    QTest::addColumn<QList<int>>("chosen");  // mark, check input
    QTest::addColumn<QStringList>("written"); // mark, check, check name

    QTest::newRow("first start") << Inputs{other, pc, usb} << QStringList{"", ""} << true << QList<int>{1, 2}
                                 << QStringList{pc.id, usb.id, usb.description};
    QTest::newRow("check off: stored, not started") << Inputs{pc, usb4k} << QStringList{"", ""} << false
                                                    << QList<int>{0, -1} << QStringList{pc.id, usb4k.id, usb4k.description};
    QTest::newRow("first PC camera only") << Inputs{pc, pc2} << QStringList{"", ""} << true << QList<int>{0, -1}
                                          << QStringList{pc.id, "", ""};
    QTest::newRow("stored ones") << Inputs{usb, pc, usb4k} << QStringList{usb4k.id, usb.id} << true
                                 << QList<int>{2, 0} << QStringList{"", "", ""};
    QTest::newRow("the mark camera is never the check camera")
        << Inputs{usb, usb4k} << QStringList{usb.id, ""} << true << QList<int>{0, 1}
        << QStringList{"", usb4k.id, usb4k.description};
    QTest::newRow("stored check is the mark camera") << Inputs{usb} << QStringList{usb.id, usb.id} << true
                                                     << QList<int>{0, -1} << QStringList{"", "", ""};
    QTest::newRow("stored inputs gone") << Inputs{other} << QStringList{pc.id, usb.id} << true
                                        << QList<int>{-1, -1} << QStringList{"", "", ""};
    QTest::newRow("no inputs") << Inputs{} << QStringList{"", ""} << true << QList<int>{-1, -1}
                               << QStringList{"", "", ""};
}

void TestCameraChoice::choose()
{
    QFETCH(QList<CameraChoice::Input>, inputs);
    QFETCH(QStringList, stored);
    QFETCH(bool, detection);
    QFETCH(QList<int>, chosen);
    QFETCH(QStringList, written);
    const CameraChoice::Choice c = CameraChoice::choose(inputs, {stored.at(0), stored.at(1), detection});
    QCOMPARE(QList<int>({c.mark, c.check}), chosen);
    QCOMPARE(QStringList({c.markCamera, c.checkCamera, c.checkCameraName}), written);
}

void TestCameraChoice::restart_data()
{
    QTest::addColumn<bool>("check");
    QTest::addColumn<bool>("detection");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("index");

    QTest::newRow("mark") << false << false << usb.id << 1;
    QTest::newRow("check") << true << true << usb.id << 1;
    QTest::newRow("check while detection is off") << true << false << usb.id << -1;
    QTest::newRow("unknown") << false << true << QStringLiteral("/dev/video9") << -1;
    QTest::newRow("none stored") << false << true << QString() << -1;
}

void TestCameraChoice::restart()
{
    QFETCH(bool, check);
    QFETCH(bool, detection);
    QFETCH(QString, stored);
    QFETCH(int, index);
    const CameraChoice::Stored s{check ? QString() : stored, check ? stored : QString(), detection};
    QCOMPARE(CameraChoice::restart({pc, usb}, s, check), index);
}

DRAVO_TEST_MAIN(TestCameraChoice)
#include "tst_camerachoice.moc"
