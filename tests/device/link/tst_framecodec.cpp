#include "tests/support/TestMain.h"
#include "device/link/FrameCodec.h"

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
    // The length counts the whole frame, its own digits included.
    void framing_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("device info") << frameCommand("1,0,0,0,0,0;", "CCMD") << framed("22;CCMD;1,0,0,0,0,0;");
        QTest::newRow("square") << frameCommand("PU0,0;PD0,4000,4000,4000,4000,0,0,0;PU;PG;", "PPLT")
                                << framed("52;PPLT;PU0,0;PD0,4000,4000,4000,4000,0,0,0;PU;PG;");
        QTest::newRow("text in UTF-8") << frameCommand(QString::fromUtf8("移动"), "CCMD")
                                       << framed("16;CCMD;\xe7\xa7\xbb\xe5\x8a\xa8");
        const QByteArray binary("UPG;2;\x02\x03\x00\xff", 10); // firmware goes unchanged
        QTest::newRow("binary whole") << frameRaw(binary) << QByteArray(1, kStart) + "15;" + binary + kEnd;
        for (const auto &[body, length] : {std::pair{6, 11}, {95, 101}, {994, 1001}}) // the digits carry over
            QTest::addRow("body %d", body) << frameRaw(QByteArray(body, 'A'))
                                           << kStart + QByteArray::number(length) + ';' + QByteArray(body, 'A') + kEnd;
    }
    void framing()
    {
        QFETCH(QByteArray, frame);
        QFETCH(QByteArray, expected);
        QCOMPARE(frame, expected);
        QCOMPARE(frame.size(), frame.mid(1, frame.indexOf(';') - 1).toInt());
    }

    void splitter_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QList<QByteArray>>("frames");
        QTest::addColumn<int>("dropped");
        QTest::addColumn<int>("buffered");
        const QByteArray a = framed("14;CCMD;3,0;");
        QTest::newRow("two in one read") << a + a << QList<QByteArray>{a, a} << 0 << 0;
        QTest::newRow("garbage before") << "xyz" + a << QList<QByteArray>{a} << 3 << 0;
        QTest::newRow("broken frame before") << QByteArray("\x02" "9;CC") + a << QList<QByteArray>{a} << 5 << 0;
        QTest::newRow("segment without start") << QByteArray("12;CCMD;3;\x03") + a << QList<QByteArray>{a} << 11 << 0;
        QTest::newRow("empty frame") << QByteArray("\x02\x03") << QList<QByteArray>{QByteArray("\x02\x03")} << 0 << 0;
        QTest::newRow("unfinished tail kept") << a + "junk\x02" "14;CC" << QList<QByteArray>{a} << 4 << 6;
        QTest::newRow("many starts: the last kept") << QByteArray(300, kStart) << QList<QByteArray>{} << 299 << 1;
    }
    void splitter()
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

    // Every cut of a stream into two reads, and one byte per read, give the
    // same frames; a frame is handed over only once its 0x03 is in.
    void splitAcrossReads()
    {
        const QByteArray a = framed("14;CCMD;3,0;"), b = framed("18;CCMD;6,0,0,0,50;");
        const QByteArray stream = "noise" + a + b + a;
        const QList<QByteArray> expected{a, b, a};
        for (int cut = 0; cut <= stream.size(); ++cut) {
            FrameSplitter splitter;
            QList<QByteArray> got = splitter.feed(stream.left(cut));
            got += splitter.feed(stream.mid(cut));
            QCOMPARE(got, expected);
            QCOMPARE(splitter.dropped(), qint64(5));
        }
        FrameSplitter bytewise;
        QList<QByteArray> got;
        for (char c : stream)
            got += bytewise.feed(QByteArray(1, c));
        QCOMPARE(got, expected);
    }

    // What the parsers read of a frame: the reply (id, status, fields), the
    // upgrade progress, the command id a sender waits on.
    void parsing_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QString>("parsed");
        QTest::newRow("status read") << framed("15;CCMD;3,0,1;") << "reply 3 1 0|1; id 3";
        QTest::newRow("type word CMD, error") << framed("14;CMD;21,5,0;") << "reply 21 0 5|0; id 21";
        QTest::newRow("empty parts kept") << framed("16;CCMD;1,0,,,;") << "reply 1 1 0|||; id 1";
        QTest::newRow("alarm keeps its id") << framed("17;CCMD;23,9,7;") << "reply 23 - 23|9|7; id 23";
        QTest::newRow("status no number") << framed("15;CCMD;3,a,1;") << "reply 3 0 a|1; id 3";
        QTest::newRow("first reply only") << framed("20;CCMD;3,0,1;CMD;6,0;") << "reply 3 1 0|1; id 3";
        QTest::newRow("sent command") << frameCommand("20,1,3,0,10,100;", "CCMD") << "reply 20 0 1|3|0|10|100; id 20";
        QTest::newRow("body only") << QByteArray("CCMD;12,2;") << "reply 12 0 2; id 12";
        QTest::newRow("single field") << framed("10;CMD;5;") << "id 5";
        QTest::newRow("empty") << framed("10;CCMD;;") << "id -1";
        QTest::newRow("no end") << framed("10;CCMD;3,0") << "id 3";
        QTest::newRow("id no number") << framed("15;CCMD;x,0,1;") << "id -1";
        QTest::newRow("cut data") << frameCommand("PU0,0;", "PPLT") << "id -1";
        QTest::newRow("progress") << framed("17;UPG;1,0,55;") << "progress 55; id -1";
        QTest::newRow("progress, extra field") << framed("21;UPG;1,0,12.5,7;") << "progress 12.5; id -1";
        for (const char *none : {"17;UPG;0,0,55;", "17;UPG;1,2,55;", "15;UPG;1,0;", "20;CCMD;UPG;1,0,55;", "18;UPG;1,0,inf;"})
            QTest::newRow(none) << framed(none) << "id -1";
    }
    void parsing()
    {
        QFETCH(QByteArray, frame);
        QFETCH(QString, parsed);
        QStringList got;
        if (const auto r = parseCommandReply(frame))
            got << QStringLiteral("reply %1 %2 %3").arg(r->id).arg(r->ok ? QString::number(*r->ok) : "-", r->fields.join('|'));
        if (const auto p = parseUpgradeProgress(frame))
            got << QStringLiteral("progress %1").arg(*p);
        got << QStringLiteral("id %1").arg(sentCommandId(frame));
        QCOMPARE(got.join("; "), parsed);
    }
};

DRAVO_TEST_MAIN(TestFrameCodec)
#include "tst_framecodec.moc"
