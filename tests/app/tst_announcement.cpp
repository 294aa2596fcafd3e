#include "Announcement.h"
#include "TestMain.h"

#include <QTest>

class TestAnnouncement : public QObject
{
    Q_OBJECT
private slots:
    void idOf_data();
    void idOf();
    void typeCodeAndVersion_data();
    void typeCodeAndVersion();
    void modelNumbers();
};

void TestAnnouncement::idOf_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<QString>("id");

    QTest::newRow("plain") << QByteArray("DISA;SM07x50001\x03") << QStringLiteral("SM07x50001");
    QTest::newRow("leading and trailing bytes") << QByteArray("xxDISA;AB07x3ZZ\x03tail\x03") << QStringLiteral("AB07x3ZZ");
    QTest::newRow("first end byte") << QByteArray("DISA;A\x03" "B\x03") << QStringLiteral("A");
    QTest::newRow("no DISA") << QByteArray("SM07x50001\x03") << QString();
    QTest::newRow("lower-case disa") << QByteArray("disa;SM07x50001\x03") << QString();
    QTest::newRow("no end byte") << QByteArray("DISA;SM07x50001") << QString();
    QTest::newRow("empty id") << QByteArray("DISA;\x03") << QString();
    QTest::newRow("empty datagram") << QByteArray() << QString();
    QTest::newRow("longest id") << (QByteArray("DISA;") + QByteArray(64, 'a') + '\x03') << QString(64, QLatin1Char('a'));
    QTest::newRow("huge id") << (QByteArray("DISA;") + QByteArray(65, 'a') + '\x03') << QString();
    QTest::newRow("huge datagram") << (QByteArray("DISA;SM07x50001\x03") + QByteArray(2000, 'x')) << QString();
    QTest::newRow("control byte in id") << QByteArray("DISA;SM07\x01x50001\x03", 17) << QString();
    QTest::newRow("nul in id") << QByteArray("DISA;SM07\0x50001\x03", 17) << QString();
    QTest::newRow("line feed in id") << QByteArray("DISA;SM07\nx5\x03") << QString();
    QTest::newRow("invalid utf-8") << QByteArray("DISA;SM07x5\xff\xfe\x03") << QString();
    QTest::newRow("binary junk") << QByteArray("\x00\x02\x03\xff\x10", 5) << QString();
}

void TestAnnouncement::idOf()
{
    QFETCH(QByteArray, datagram);
    QFETCH(QString, id);
    QCOMPARE(Announcement::idOf(datagram), id);
}

void TestAnnouncement::typeCodeAndVersion_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("version");

    QTest::newRow("07x3") << "SM07x30001" << "07x3" << 1;
    QTest::newRow("07x4") << "SM07x4" << "07x4" << 2;
    QTest::newRow("07x5") << "SM07x50001" << "07x5" << 3;
    QTest::newRow("capitals") << "SM07X50001" << "07x5" << 3;
    QTest::newRow("07x6") << "AB07x6ZZ" << "07x6" << 4;
    QTest::newRow("07x7") << "AB07x7" << "07x7" << 5;
    QTest::newRow("07x8") << "AB07x8" << "07x8" << 6;
    QTest::newRow("07x9") << "AB07x9" << "07x9" << 0;
    QTest::newRow("07x2") << "AB07x2" << "07x2" << 0;
    QTest::newRow("short id") << "AB07" << "07" << 0;
    QTest::newRow("code at the wrong place") << "07x5" << "x5" << 0;
}

void TestAnnouncement::typeCodeAndVersion()
{
    QFETCH(QString, id);
    QFETCH(QString, code);
    QFETCH(int, version);
    QCOMPARE(Announcement::typeCode(id), code);
    QCOMPARE(Announcement::versionOf(code), version);
}

void TestAnnouncement::modelNumbers()
{
    QCOMPARE(Announcement::modelNumber(QStringLiteral("07x3")), 10263);
    QCOMPARE(Announcement::modelNumber(QStringLiteral("07x8")), 10268);
    QCOMPARE(Announcement::modelNumber(QStringLiteral("??")), 0);
    QCOMPARE(Announcement::shortName(QStringLiteral("VK-120X/Roll/2")), QStringLiteral("VK-120X"));
    QCOMPARE(Announcement::shortName(QStringLiteral("VK-120X")), QStringLiteral("VK-120X"));
    QCOMPARE(Announcement::shortName(QString()), QString());
}

DRAVO_TEST_MAIN(TestAnnouncement)
#include "tst_announcement.moc"
