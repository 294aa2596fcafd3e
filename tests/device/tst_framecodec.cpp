#include "FrameCodec.h"
#include "TestMain.h"

using namespace FrameCodec;

namespace {
QByteArray framed(const char *text)
{
    return QByteArray(1, kStart) + text + QByteArray(1, kEnd);
}
} // namespace

class TestFrameCodec : public QObject
{
    Q_OBJECT

private slots:
    void workedExamples_data();
    void workedExamples();
    void lengthAtDigitBoundaries_data();
    void lengthAtDigitBoundaries();
    void commandCountsEncodedBytes();
    void splitter_data();
    void splitter();
    void splitAcrossReads();
    void unfinishedFrameOverflows();
    void garbageIsNotHeld();
    void commandReply_data();
    void commandReply();
    void upgradeProgress_data();
    void upgradeProgress();
    void sentId_data();
    void sentId();
};

void TestFrameCodec::workedExamples_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("params");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("cut motor status") << "CCMD" << "3;" << framed("12;CCMD;3;");
    QTest::newRow("device info") << "CCMD" << "1,0,0,0,0,0;" << framed("22;CCMD;1,0,0,0,0,0;");
    QTest::newRow("x clear") << "CCMD" << "2,1,0,5;" << framed("18;CCMD;2,1,0,5;");
    QTest::newRow("square")
        << "PPLT" << "PU0,0;PD0,4000,4000,4000,4000,0,0,0;PU;PG;"
        << framed("52;PPLT;PU0,0;PD0,4000,4000,4000,4000,0,0,0;PU;PG;");
}

void TestFrameCodec::workedExamples()
{
    QFETCH(QString, type);
    QFETCH(QString, params);
    QFETCH(QByteArray, expected);

    const QByteArray frame = frameCommand(params, type);
    QCOMPARE(frame, expected);
    QCOMPARE(frame.size(), frame.mid(1, frame.indexOf(';') - 1).toInt());
}

void TestFrameCodec::lengthAtDigitBoundaries_data()
{
    QTest::addColumn<int>("bodySize");
    QTest::addColumn<int>("length");

    QTest::newRow("empty") << 0 << 4;
    QTest::newRow("5") << 5 << 9;
    QTest::newRow("6") << 6 << 11;
    QTest::newRow("94") << 94 << 99;
    QTest::newRow("95") << 95 << 101;
    QTest::newRow("96") << 96 << 102;
    QTest::newRow("993") << 993 << 999;
    QTest::newRow("994") << 994 << 1001;
    QTest::newRow("997") << 997 << 1004;
    QTest::newRow("1029 (1024-byte package)") << 1029 << 1036;
    QTest::newRow("99993") << 99993 << 100002;
}

void TestFrameCodec::lengthAtDigitBoundaries()
{
    QFETCH(int, bodySize);
    QFETCH(int, length);

    const QByteArray body(bodySize, 'A');
    const QByteArray frame = frameRaw(body);
    QCOMPARE(frame.size(), length);
    QCOMPARE(frame.front(), kStart);
    QCOMPARE(frame.back(), kEnd);
    QCOMPARE(frame.left(frame.indexOf(';') + 1), QByteArray(1, kStart) + QByteArray::number(length) + ';');
    QCOMPARE(frame.mid(frame.indexOf(';') + 1, bodySize), body);
}

void TestFrameCodec::commandCountsEncodedBytes()
{
    // Firmware data is binary: the body goes out unchanged, 0x02 and 0x03 included.
    const QByteArray binary("UPG;2;\x02\x03\x00\xff", 10);
    const QByteArray frame = frameRaw(binary);
    QCOMPARE(frame, QByteArray(1, kStart) + "15;" + binary + QByteArray(1, kEnd));

    // A run tip text in Chinese takes three bytes per character in UTF-8.
    const QString text = QString::fromUtf8("移动");
    const QByteArray frameText = frameCommand(text, QStringLiteral("CCMD"));
    QCOMPARE(frameText.size(), 3 + 2 + 5 + 6);
    QCOMPARE(frameText.mid(1, 2), QByteArray("16"));
}

void TestFrameCodec::splitter_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QList<QByteArray>>("frames");
    QTest::addColumn<int>("dropped");
    QTest::addColumn<int>("buffered");

    QTest::newRow("one") << framed("14;CCMD;3,0;") << QList<QByteArray>{framed("14;CCMD;3,0;")} << 0 << 0;
    QTest::newRow("two in one read")
        << framed("14;CCMD;3,0;") + framed("16;CCMD;6,0,1;")
        << QList<QByteArray>{framed("14;CCMD;3,0;"), framed("16;CCMD;6,0,1;")} << 0 << 0;
    QTest::newRow("garbage before start")
        << "xyz" + framed("14;CCMD;3,0;") << QList<QByteArray>{framed("14;CCMD;3,0;")} << 3 << 0;
    QTest::newRow("broken frame before start")
        << QByteArray("\x02" "9;CC") + framed("14;CCMD;3,0;") << QList<QByteArray>{framed("14;CCMD;3,0;")} << 5
        << 0;
    QTest::newRow("segment without start")
        << QByteArray("12;CCMD;3;\x03") + framed("14;CCMD;3,0;") << QList<QByteArray>{framed("14;CCMD;3,0;")}
        << 11 << 0;
    QTest::newRow("lone end bytes") << QByteArray("\x03\x03\x03") << QList<QByteArray>{} << 3 << 0;
    QTest::newRow("empty frame") << QByteArray("\x02\x03") << QList<QByteArray>{QByteArray("\x02\x03")} << 0 << 0;
    QTest::newRow("unfinished tail kept")
        << framed("14;CCMD;3,0;") + "junk\x02" "14;CC" << QList<QByteArray>{framed("14;CCMD;3,0;")} << 4 << 6;
    QTest::newRow("nothing") << QByteArray() << QList<QByteArray>{} << 0 << 0;
}

void TestFrameCodec::splitter()
{
    QFETCH(QByteArray, stream);
    QFETCH(QList<QByteArray>, frames);
    QFETCH(int, dropped);
    QFETCH(int, buffered);

    FrameSplitter splitter;
    QCOMPARE(splitter.feed(stream), frames);
    QCOMPARE(splitter.dropped(), qint64(dropped));
    QCOMPARE(splitter.buffered(), buffered);
}

void TestFrameCodec::splitAcrossReads()
{
    const QByteArray a = framed("14;CCMD;3,0;");
    const QByteArray b = framed("18;CCMD;6,0,0,0,50;");
    const QByteArray stream = "noise" + a + b + a;

    // Every cut of the stream into two reads, and one byte per read, give the same frames.
    const QList<QByteArray> expected{a, b, a};
    for (int cut = 0; cut <= stream.size(); ++cut) {
        FrameSplitter splitter;
        QList<QByteArray> got = splitter.feed(stream.left(cut));
        got += splitter.feed(stream.mid(cut));
        QCOMPARE(got, expected);
        QCOMPARE(splitter.dropped(), qint64(5));
        QCOMPARE(splitter.buffered(), 0);
    }
    FrameSplitter bytewise;
    QList<QByteArray> got;
    for (char c : stream)
        got += bytewise.feed(QByteArray(1, c));
    QCOMPARE(got, expected);

    // A frame is handed over only once its 0x03 has arrived.
    FrameSplitter split;
    QVERIFY(split.feed(a.left(6)).isEmpty());
    QCOMPARE(split.buffered(), 6);
    QCOMPARE(split.feed(a.mid(6)), QList<QByteArray>{a});
}

void TestFrameCodec::unfinishedFrameOverflows()
{
    FrameSplitter splitter(100);
    QVERIFY(splitter.feed(QByteArray(1, kStart) + QByteArray(60, 'x')).isEmpty());
    QCOMPARE(splitter.overflows(), 0);
    QVERIFY(splitter.feed(QByteArray(60, 'x')).isEmpty());
    QCOMPARE(splitter.overflows(), 1);
    QCOMPARE(splitter.buffered(), 0);
    QCOMPARE(splitter.dropped(), qint64(121));

    // The tail of the dropped frame goes with its 0x03; the next frame is whole.
    const QByteArray next = framed("14;CCMD;3,0;");
    QCOMPARE(splitter.feed(QByteArray(10, 'x') + QByteArray(1, kEnd) + next), QList<QByteArray>{next});
    QCOMPARE(splitter.dropped(), qint64(132));
}

void TestFrameCodec::garbageIsNotHeld()
{
    // A flood without any 0x02 never piles up and never counts as an overflow.
    FrameSplitter splitter(1000);
    for (int i = 0; i < 100; ++i)
        QVERIFY(splitter.feed(QByteArray(512, 'g')).isEmpty());
    QCOMPARE(splitter.buffered(), 0);
    QCOMPARE(splitter.overflows(), 0);
    QCOMPARE(splitter.dropped(), qint64(51200));

    // Many starts: only the bytes from the last one are kept.
    QVERIFY(splitter.feed(QByteArray(300, kStart)).isEmpty());
    QCOMPARE(splitter.buffered(), 1);
}

void TestFrameCodec::commandReply_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<bool>("isReply");
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("ok"); // -1: not set
    QTest::addColumn<QStringList>("fields");

    QTest::newRow("status read") << framed("15;CCMD;3,0,1;") << true << 3 << 1 << QStringList{"0", "1"};
    QTest::newRow("error status") << framed("15;CCMD;3,5,1;") << true << 3 << 0 << QStringList{"5", "1"};
    QTest::newRow("without type word C") << framed("14;CMD;21,0,0;") << true << 21 << 1 << QStringList{"0", "0"};
    QTest::newRow("empty parts kept")
        << framed("16;CCMD;1,0,,,;") << true << 1 << 1 << QStringList{"0", "", "", ""};
    QTest::newRow("alarm keeps id")
        << framed("17;CCMD;23,0,3;") << true << 23 << -1 << QStringList{"23", "0", "3"};
    QTest::newRow("alarm with error status")
        << framed("17;CCMD;23,9,7;") << true << 23 << -1 << QStringList{"23", "9", "7"};
    QTest::newRow("single field") << framed("10;CMD;5;") << false << 0 << -1 << QStringList{};
    QTest::newRow("empty match") << framed("10;CCMD;;") << false << 0 << -1 << QStringList{};
    QTest::newRow("no end separator") << framed("10;CCMD;3,0") << false << 0 << -1 << QStringList{};
    QTest::newRow("upgrade body") << framed("17;UPG;1,0,55;") << false << 0 << -1 << QStringList{};
    QTest::newRow("non-numeric id") << framed("15;CCMD;x,0,1;") << false << 0 << -1 << QStringList{};
    QTest::newRow("non-numeric status reads as failure")
        << framed("15;CCMD;3,a,1;") << true << 3 << 0 << QStringList{"a", "1"};
    QTest::newRow("empty status reads as failure")
        << framed("13;CCMD;3,,;") << true << 3 << 0 << QStringList{"", ""};
    QTest::newRow("first reply only")
        << framed("20;CCMD;3,0,1;CMD;6,0;") << true << 3 << 1 << QStringList{"0", "1"};
    QTest::newRow("empty") << QByteArray() << false << 0 << -1 << QStringList{};
}

void TestFrameCodec::commandReply()
{
    QFETCH(QByteArray, frame);
    QFETCH(bool, isReply);
    QFETCH(int, id);
    QFETCH(int, ok);
    QFETCH(QStringList, fields);

    const std::optional<CommandReply> reply = parseCommandReply(frame);
    QCOMPARE(reply.has_value(), isReply);
    if (!reply)
        return;
    QCOMPARE(reply->id, id);
    QCOMPARE(reply->ok.has_value(), ok >= 0);
    if (ok >= 0)
        QCOMPARE(*reply->ok, ok == 1);
    QCOMPARE(reply->fields, fields);
}

void TestFrameCodec::upgradeProgress_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("progress");

    QTest::newRow("progress") << framed("17;UPG;1,0,55;") << true << 55.0;
    QTest::newRow("fraction") << framed("19;UPG;1,0,12.5;") << true << 12.5;
    QTest::newRow("extra fields") << framed("19;UPG;1,0,100,7;") << true << 100.0;
    QTest::newRow("flag not 1") << framed("17;UPG;0,0,55;") << false << 0.0;
    QTest::newRow("status not 0") << framed("17;UPG;1,2,55;") << false << 0.0;
    QTest::newRow("two fields") << framed("15;UPG;1,0;") << false << 0.0;
    QTest::newRow("not part 1") << framed("20;CCMD;UPG;1,0,55;") << false << 0.0;
    QTest::newRow("non-numeric") << framed("17;UPG;1,0,ab;") << false << 0.0;
    QTest::newRow("not finite") << framed("18;UPG;1,0,inf;") << false << 0.0;
    QTest::newRow("single command field") << framed("10;CMD;5;") << false << 0.0;
    QTest::newRow("no separator") << framed("14;UPG;1,0,55") << false << 0.0;
}

void TestFrameCodec::upgradeProgress()
{
    QFETCH(QByteArray, frame);
    QFETCH(bool, valid);
    QFETCH(double, progress);

    const std::optional<double> value = parseUpgradeProgress(frame);
    QCOMPARE(value.has_value(), valid);
    if (valid)
        QCOMPARE(*value, progress);
}

void TestFrameCodec::sentId_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<int>("id");

    QTest::newRow("bare") << frameCommand(QStringLiteral("3;"), QStringLiteral("CCMD")) << 3;
    QTest::newRow("with arguments") << frameCommand(QStringLiteral("20,1,3,0,10,100;"), QStringLiteral("CCMD")) << 20;
    QTest::newRow("body only") << QByteArray("CCMD;12,2;") << 12;
    QTest::newRow("cut data") << frameCommand(QStringLiteral("PU0,0;"), QStringLiteral("PPLT")) << -1;
    QTest::newRow("non-numeric") << QByteArray("CCMD;ab;") << -1;
}

void TestFrameCodec::sentId()
{
    QFETCH(QByteArray, frame);
    QFETCH(int, id);
    QCOMPARE(sentCommandId(frame), id);
}

DRAVO_TEST_MAIN(TestFrameCodec)
#include "tst_framecodec.moc"
