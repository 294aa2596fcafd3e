#include "TestFiles.h"
#include "TestMain.h"
#include "TimeRatio.h"
#include "hpgl.h"

#include <cmath>

namespace {

// What a reader delivered: each path as "pen:x,y x,y ..." and each comment as "#text", one per line.
struct Result
{
    QStringList records;
    qint64 points = 0;
    bool bounded = true; // every coordinate finite and within 2^31
    HPGL_Stats stats;
};

void collect(void *context, HPGL_Info info)
{
    auto *r = static_cast<Result *>(context);
    if (info.kind == HPGL_KIND_COMMENT) {
        r->records << QLatin1Char('#') + QString::fromLatin1(info.text, info.textLength);
        return;
    }
    QStringList points;
    for (const HPGL_Point *p = info.points; p; p = p->next) {
        points << QStringLiteral("%1,%2").arg(p->x).arg(p->y);
        r->bounded = r->bounded && std::fabs(p->x) <= 2147483648.0 && std::fabs(p->y) <= 2147483648.0;
    }
    QCOMPARE(points.size(), info.count);
    r->points += info.count;
    r->records << QString::number(info.pen) + QLatin1Char(':') + points.join(QLatin1Char(' '));
}

Result parse(const QByteArray &text, qint64 maxPoints = 0, qint64 maxPathPoints = 0)
{
    Result r;
    HPGL_Reader *reader = init_HPGL();
    if (maxPoints > 0)
        limits_HPGL(reader, maxPoints, maxPathPoints);
    read_HPGL_data(reader, text.constData(), text.size(), collect, &r);
    r.stats = stats_HPGL(reader);
    exit_HPGL(reader);
    return r;
}

} // namespace

class TestHpgl : public QObject
{
    Q_OBJECT
private slots:
    void read_data();
    void read();
    void fileAndSeparateReaders();
    void millionTinySegmentsAndLimits();
};

void TestHpgl::read_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("records"); // "*": whatever comes, within bounds
    QTest::addColumn<int>("skipped");     // numbers dropped; -1: any
    const QString square = QStringLiteral("1:0,0 400,0 400,400 0,400 0,0");
    QTest::newRow("semicolons") << QByteArray("IN;PU0,0;PD400,0,400,400,0,400,0,0;PU;") << square << 0;
    QTest::newRow("no semicolons") << QByteArray("INPU0,0PD400,0,400,400,0,400,0,0PU") << square << 0;
    QTest::newRow("blanks and lines") << QByteArray("IN;\r\nPU 0 0;\nPD 400 0 , 400 400\n 0 400 0 0;\n") << square << 0;
    QTest::newRow("lower case") << QByteArray("in;pu0,0;pd400,0,400,400,0,400,0,0;") << square << 0;
    QTest::newRow("relative") << QByteArray("IN;PU0,0;PR;PD400,0,0,400,-400,0,0,-400;") << square << 0;
    QTest::newRow("PA after PD") << QByteArray("IN;PD;PA400,0,400,400,0,400,0,0;") << square << 0;
    QTest::newRow("decimals and signs") << QByteArray("IN;PU-1.5,+2.25;PD-.5,2.25;") << "1:-1.5,2.25 -0.5,2.25" << 0;
    QTest::newRow("unknown mnemonics") << QByteArray("IN;VS10;FS4;LT;PU0,0;XX1,2,3;PD400,0,400,400,0,400,0,0;") << square << -1;
    QTest::newRow("label text") << QByteArray("IN;LBPD999,999\x03PU0,0;PD400,0,400,400,0,400,0,0;") << square << 0;
    QTest::newRow("label terminator") << QByteArray("IN;DT#;LBPD9,9#PU0,0;PD400,0,400,400,0,400,0,0;") << square << 0;
    QTest::newRow("PU splits") << QByteArray("PU0,0;PD10,0;PU20,0;PD30,0,30,10;") << "1:0,0 10,0\n1:20,0 30,0 30,10" << 0;
    QTest::newRow("moves in PU") << QByteArray("PU0,0,50,50;PD60,50;") << "1:50,50 60,50" << 0;
    QTest::newRow("repeats once") << QByteArray("PU0,0;PD0,0,10,0,10,0,10,10;") << "1:0,0 10,0 10,10" << 0;
    QTest::newRow("a dot is no path") << QByteArray("PU5,5;PD;PU;PD5,5;PU;") << "" << 0;
    QTest::newRow("PG ends the path") << QByteArray("PU0,0;PD10,0PG;PD20,0;") << "1:0,0 10,0\n1:10,0 20,0" << 0;
    QTest::newRow("IN resets") << QByteArray("PR;PU5,5;PD1,1;IN;PD10,0;") << "1:5,5 6,6\n1:0,0 10,0" << 0;
    QTest::newRow("pens and comments")
        << QByteArray("IN;CO\"PD5,5;PU\";PU0,0;PD1,0;SP2;PU0,0;PD2,0;SP;PD3,0;CO \"second\";SP7;PU;PD4,0;")
        << "#PD5,5;PU\n1:0,0 1,0\n2:0,0 2,0\n#second\n0:2,0 3,0\n7:3,0 4,0" << 0; // SP alone puts the pen away
    // Bad input gives what can be read, with the dropped numbers counted; the pen travels up over a dropped point.
    QByteArray binary;
    for (int i = 0; i < 65536; ++i)
        binary += char((i * 7919) >> 3);
    QTest::newRow("empty") << QByteArray() << "" << 0;
    QTest::newRow("binary") << binary << "*" << -1;
    QTest::newRow("truncated number") << QByteArray("PU0,0;PD10,0,10,") << "1:0,0 10,0" << 1;
    QTest::newRow("truncated pair") << QByteArray("PU0,0;PD10,0,10") << "1:0,0 10,0" << 1;
    QTest::newRow("beyond 2^31") << QByteArray("PU0,0;PD10,0,2147483649,500,20,0,30,0;") << "1:0,0 10,0\n1:20,0 30,0" << 1;
    QTest::newRow("huge digits") << QByteArray("PU0,0;PD99999999999999999999999999999,1;PD5,5,6,6;") << "1:5,5 6,6" << 1;
    QTest::newRow("NaN text") << QByteArray("PU0,0;PDNaN,5;PD10,10;") << "1:0,0 10,10" << 0;
    QTest::newRow("relative overflow") << QByteArray("PR;PD2000000000,0,2000000000,0;") << "1:0,0 2e+09,0" << 1;
    QTest::newRow("lone signs") << QByteArray("PU0,0;PD-,+,.;PD5,5,6,6;") << "1:5,5 6,6" << 2;
    QTest::newRow("open comment") << QByteArray("PU0,0;PD1,1;CO\"never closed PD5,5") << "#never closed PD5,5\n1:0,0 1,1" << 0;
}

void TestHpgl::read()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, records);
    QFETCH(int, skipped);
    const Result r = parse(text);
    if (records != QLatin1String("*"))
        QCOMPARE(r.records.join(QLatin1Char('\n')), records);
    if (skipped >= 0)
        QCOMPARE(int(r.stats.skippedValues), skipped);
    QVERIFY(r.stats.bytes == text.size() && r.stats.points == r.points && r.bounded);
}

// A file, a missing one, and two readers at once, each with its own context: nothing is shared.
void TestHpgl::fileAndSeparateReaders()
{
    QVERIFY(writeFile("cut.plt", "IN;PU0,0;PD40,0,40,40;"));
    Result a, b;
    HPGL_Reader *ra = init_HPGL();
    HPGL_Reader *rb = init_HPGL();
    QCOMPARE(read_HPGL(ra, "cut.plt", collect, &a), 1);
    const QByteArray tb = "PU0,0;PD2,2;PU;PD3,3;";
    QCOMPARE(read_HPGL_data(rb, tb.constData(), tb.size(), collect, &b), 2);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot open"));
    QCOMPARE(read_HPGL(ra, "missing.plt", collect, &a), -1);
    exit_HPGL(ra);
    exit_HPGL(rb);
    QCOMPARE(a.records, QStringList{"1:0,0 40,0 40,40"});
    QCOMPARE(b.records, (QStringList{"1:0,0 2,2", "1:2,2 3,3"}));
}

void TestHpgl::millionTinySegmentsAndLimits()
{
    const auto path = [](int segments) {
        QByteArray text = "IN;PU0,0;PD";
        for (int i = 1; i <= segments; ++i)
            text += QByteArray::number(i) + (i % 2 ? ",1," : ",0,");
        return text + "0,0;";
    };
    // Read and counted only: eight times the segments, about eight times the
    // time (a square would be 64).
    HPGL_Stats stats;
    const auto read = [&stats](const QByteArray &text) {
        HPGL_Reader *reader = init_HPGL();
        read_HPGL_data(reader, text.constData(), text.size(), [](void *, HPGL_Info) {}, nullptr);
        stats = stats_HPGL(reader);
        exit_HPGL(reader);
    };
    const QByteArray eighth = path(125000), text = path(1000000);
    const double ratio = timeRatio([&] { read(eighth); }, [&] { read(text); }, 3);
    QVERIFY2(ratio < 32, qPrintable(QString::number(ratio)));
    QCOMPARE(stats.points, qint64(1000002));
    QCOMPARE(stats.paths, qint64(1));

    // Long paths come in pieces of four points, each starting where the last ended, up to ten points in all.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("stopped after"));
    const Result limited = parse("PU0,0;PD1,0,2,0,3,0,4,0,5,0;PU;PD9,9;PU0,0;PD1,1,2,2,3,3,4,4,5,5,6,6,7,7;", 10, 4);
    QVERIFY(limited.stats.truncated && limited.stats.points <= 10);
    QCOMPARE(limited.records.mid(0, 2), (QStringList{"1:0,0 1,0 2,0 3,0", "1:3,0 4,0 5,0"}));
}

DRAVO_TEST_MAIN(TestHpgl)
#include "tst_hpgl.moc"
