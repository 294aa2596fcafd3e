#include "DeviceList.h"
#include "TestMain.h"

#include <QTest>

class TestDeviceList : public QObject
{
    Q_OBJECT
private slots:
    void orderedById();
    void refreshKeepsOneRecord();
    void silenceBoundary_data();
    void silenceBoundary();
    void boundedAgainstFloods();
};

namespace {
DeviceList::Device device(const QString &id, qint64 seen, const QString &ip = QStringLiteral("127.0.0.2"))
{
    return {id, ip, QString(), seen};
}
} // namespace

void TestDeviceList::orderedById()
{
    DeviceList list;
    QVERIFY(list.update(device(QStringLiteral("SM07x60002"), 0)));
    QVERIFY(list.update(device(QStringLiteral("AB07x30001"), 0)));
    QVERIFY(list.update(device(QStringLiteral("SM07x50001"), 0)));
    QCOMPARE(list.ids(), QStringList({"AB07x30001", "SM07x50001", "SM07x60002"}));
}

void TestDeviceList::refreshKeepsOneRecord()
{
    DeviceList list;
    list.update(device(QStringLiteral("SM07x50001"), 0, QStringLiteral("127.0.0.2")));
    list.update(device(QStringLiteral("SM07x50001"), 500, QStringLiteral("127.0.0.3")));
    QCOMPARE(list.size(), 1);
    QCOMPARE(list.device(QStringLiteral("SM07x50001")).ip, QStringLiteral("127.0.0.3"));
    QCOMPARE(list.device(QStringLiteral("SM07x50001")).lastSeenMs, 500);
}

void TestDeviceList::silenceBoundary_data()
{
    QTest::addColumn<qint64>("silentMs");
    QTest::addColumn<bool>("kept");
    QTest::newRow("10 s") << qint64(10000) << true;
    QTest::newRow("10.999 s") << qint64(10999) << true;
    QTest::newRow("11 s") << qint64(11000) << false;
    QTest::newRow("a day") << qint64(86400000) << false;
}

void TestDeviceList::silenceBoundary()
{
    QFETCH(qint64, silentMs);
    QFETCH(bool, kept);
    // The clock is the owner's monotonic one: a start far from zero changes nothing.
    const qint64 base = 86400000 - 1000;
    DeviceList list;
    list.update(device(QStringLiteral("SM07x50001"), base));
    list.update(device(QStringLiteral("SM07x50002"), base + silentMs));
    const QStringList removed = list.removeSilent(base + silentMs);
    QCOMPARE(list.contains(QStringLiteral("SM07x50001")), kept);
    QCOMPARE(removed.isEmpty(), kept);
    QVERIFY(list.contains(QStringLiteral("SM07x50002")));
}

void TestDeviceList::boundedAgainstFloods()
{
    DeviceList list;
    for (int i = 0; i < DeviceList::kMaxDevices + 50; ++i)
        list.update(device(QStringLiteral("SM07x5%1").arg(i, 5, 10, QLatin1Char('0')), 0));
    QCOMPARE(list.size(), DeviceList::kMaxDevices);
    // A controller already listed is still refreshed, and room comes back as others fall silent.
    QVERIFY(list.update(device(QStringLiteral("SM07x500000"), 20000)));
    QVERIFY(!list.update(device(QStringLiteral("SM07x5new"), 20000)));
    list.removeSilent(20000);
    QCOMPARE(list.size(), 1);
    QVERIFY(list.update(device(QStringLiteral("SM07x5new"), 20000)));
}

DRAVO_TEST_MAIN(TestDeviceList)
#include "tst_devicelist.moc"
