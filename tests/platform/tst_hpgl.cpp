#include "TestMain.h"
#include "hpgl.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPolygonF>
#include <cmath>

namespace {

struct Path
{
    int pen;
    QPolygonF points;
};

struct Result
{
    QList<Path> paths;
    QList<QByteArray> comments;
};

void collect(void *context, HPGL_Info info)
{
    auto *r = static_cast<Result *>(context);
    if (info.kind == HPGL_KIND_COMMENT) {
        r->comments << QByteArray(info.text, info.textLength);
        return;
    }
    Path p{info.pen, {}};
    int count = 0;
    for (const HPGL_Point *node = info.points; node; node = node->next, ++count)
        p.points << QPointF(node->x, node->y);
    QCOMPARE(count, info.count);
    r->paths << p;
}

Result parse(const QByteArray &text, HPGL_Stats *stats = nullptr)
{
    Result r;
    HPGL_Reader *reader = init_HPGL();
    read_HPGL_data(reader, text.constData(), text.size(), collect, &r);
    if (stats)
        *stats = stats_HPGL(reader);
    exit_HPGL(reader);
    return r;
}

QPolygonF poly(std::initializer_list<QPointF> points)
{
    return QPolygonF(QList<QPointF>(points));
}

} // namespace

class TestHpgl : public QObject
{
    Q_OBJECT
private slots:
    void subset_data();
    void subset();
    void pensAndComments();
    void contextsAreSeparate();
    void fileAndMissingFile();
    void badInput_data();
    void badInput();
    void millionTinySegments();
    void limits();
};

void TestHpgl::subset_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QList<QPolygonF>>("paths");
    const QList<QPolygonF> square{poly({{0, 0}, {400, 0}, {400, 400}, {0, 400}, {0, 0}})};
    QTest::newRow("semicolons") << QByteArray("IN;PU0,0;PD400,0,400,400,0,400,0,0;PU;") << square;
    QTest::newRow("no semicolons") << QByteArray("INPU0,0PD400,0,400,400,0,400,0,0PU") << square;
    QTest::newRow("blanks and lines") << QByteArray("IN;\r\nPU 0 0;\nPD 400 0 , 400 400\n 0 400 0 0;\n") << square;
    QTest::newRow("lower case") << QByteArray("in;pu0,0;pd400,0,400,400,0,400,0,0;") << square;
    QTest::newRow("relative") << QByteArray("IN;PU0,0;PR;PD400,0,0,400,-400,0,0,-400;") << square;
    QTest::newRow("PA after PD") << QByteArray("IN;PD;PA400,0,400,400,0,400,0,0;") << square;
    QTest::newRow("decimals and signs")
        << QByteArray("IN;PU-1.5,+2.25;PD-.5,2.25;") << QList<QPolygonF>{poly({{-1.5, 2.25}, {-0.5, 2.25}})};
    QTest::newRow("unknown mnemonics skipped")
        << QByteArray("IN;VS10;FS4;LT;PU0,0;XX1,2,3;PD400,0,400,400,0,400,0,0;") << square;
    QTest::newRow("label text is no command")
        << QByteArray("IN;LBPD999,999\x03PU0,0;PD400,0,400,400,0,400,0,0;") << square;
    QTest::newRow("label terminator") << QByteArray("IN;DT#;LBPD9,9#PU0,0;PD400,0,400,400,0,400,0,0;") << square;
    QTest::newRow("comment with commands inside")
        << QByteArray("IN;CO\"PD5,5;PU\";PU0,0;PD400,0,400,400,0,400,0,0;") << square;
    QTest::newRow("PU splits paths") << QByteArray("PU0,0;PD10,0;PU20,0;PD30,0,30,10;")
                                     << QList<QPolygonF>{poly({{0, 0}, {10, 0}}), poly({{20, 0}, {30, 0}, {30, 10}})};
    QTest::newRow("pen-up moves in PU") << QByteArray("PU0,0,50,50;PD60,50;")
                                        << QList<QPolygonF>{poly({{50, 50}, {60, 50}})};
    QTest::newRow("repeated points kept once") << QByteArray("PU0,0;PD0,0,10,0,10,0,10,10;")
                                               << QList<QPolygonF>{poly({{0, 0}, {10, 0}, {10, 10}})};
    QTest::newRow("a dot is no path") << QByteArray("PU5,5;PD;PU;PD5,5;PU;") << QList<QPolygonF>{};
    QTest::newRow("PG ends the path") << QByteArray("PU0,0;PD10,0PG;PD20,0;")
                                      << QList<QPolygonF>{poly({{0, 0}, {10, 0}}), poly({{10, 0}, {20, 0}})};
    QTest::newRow("IN resets") << QByteArray("PR;PU5,5;PD1,1;IN;PD10,0;")
                               << QList<QPolygonF>{poly({{5, 5}, {6, 6}}), poly({{0, 0}, {10, 0}})};
}

void TestHpgl::subset()
{
    QFETCH(QByteArray, text);
    QFETCH(QList<QPolygonF>, paths);
    const Result r = parse(text);
    QCOMPARE(r.paths.size(), paths.size());
    for (int i = 0; i < paths.size(); ++i)
        QCOMPARE(r.paths[i].points, paths[i]);
}

void TestHpgl::pensAndComments()
{
    const Result r = parse("IN;CO\"first\";PU0,0;PD1,0;SP2;PU0,0;PD2,0;SP;PD3,0;CO \"second\";SP7;PU;PD4,0;");
    QCOMPARE(r.comments, (QList<QByteArray>{"first", "second"}));
    QCOMPARE(r.paths.size(), 4);
    QCOMPARE(r.paths[0].pen, 1); // before any SP
    QCOMPARE(r.paths[1].pen, 2);
    QCOMPARE(r.paths[2].pen, 0); // SP without a number puts the pen away
    QCOMPARE(r.paths[3].pen, 7);
}

// Two readers at once, each with its own context: nothing is shared.
void TestHpgl::contextsAreSeparate()
{
    Result a;
    Result b;
    HPGL_Reader *ra = init_HPGL();
    HPGL_Reader *rb = init_HPGL();
    const QByteArray ta = "PU0,0;PD1,1;";
    const QByteArray tb = "PU0,0;PD2,2;PU;PD3,3;";
    QCOMPARE(read_HPGL_data(ra, ta.constData(), ta.size(), collect, &a), 1);
    QCOMPARE(read_HPGL_data(rb, tb.constData(), tb.size(), collect, &b), 2);
    exit_HPGL(ra);
    exit_HPGL(rb);
    QCOMPARE(a.paths.size(), 1);
    QCOMPARE(b.paths.size(), 2);
}

void TestHpgl::fileAndMissingFile()
{
    QFile file("cut.plt");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("IN;PU0,0;PD40,0,40,40;");
    file.close();
    Result r;
    HPGL_Reader *reader = init_HPGL();
    QCOMPARE(read_HPGL(reader, "cut.plt", collect, &r), 1);
    QCOMPARE(r.paths.value(0).points, poly({{0, 0}, {40, 0}, {40, 40}}));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot open"));
    QCOMPARE(read_HPGL(reader, "missing.plt", collect, &r), -1);
    exit_HPGL(reader);
}

void TestHpgl::badInput_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("paths");
    QTest::addColumn<int>("skipped");
    QByteArray binary;
    for (int i = 0; i < 65536; ++i)
        binary += char((i * 7919) >> 3);
    QTest::newRow("empty") << QByteArray() << 0 << 0;
    QTest::newRow("binary") << binary << -1 << -1;
    QTest::newRow("truncated number") << QByteArray("PU0,0;PD10,0,10,") << 1 << 1;
    QTest::newRow("truncated pair") << QByteArray("PU0,0;PD10,0,10") << 1 << 1;
    QTest::newRow("beyond 2^31 breaks the path")
        << QByteArray("PU0,0;PD10,0,2147483649,0,20,0,30,0;") << 2 << 1;
    QTest::newRow("huge digits") << QByteArray("PU0,0;PD99999999999999999999999999999,1;PD5,5,6,6;") << 1 << 1;
    QTest::newRow("NaN text") << QByteArray("PU0,0;PDNaN,5;PD10,10;") << 1 << 0;
    QTest::newRow("relative overflow")
        << QByteArray("PR;PD2000000000,0,2000000000,0;") << 1 << 1;
    QTest::newRow("lone signs") << QByteArray("PU0,0;PD-,+,.;PD5,5;") << 1 << 2;
    QTest::newRow("unterminated comment") << QByteArray("PU0,0;PD1,1;CO\"never closed PD5,5") << 1 << 0;
}

void TestHpgl::badInput()
{
    QFETCH(QByteArray, text);
    QFETCH(int, paths);
    QFETCH(int, skipped);
    HPGL_Stats stats;
    const Result r = parse(text, &stats);
    if (paths >= 0)
        QCOMPARE(r.paths.size(), paths);
    if (skipped >= 0)
        QCOMPARE(int(stats.skippedValues), skipped);
    QCOMPARE(stats.bytes, qint64(text.size()));
    for (const Path &p : r.paths) {
        for (const QPointF &pt : p.points)
            QVERIFY(std::isfinite(pt.x()) && std::fabs(pt.x()) <= 2147483648.0 && std::isfinite(pt.y()));
    }
}

void TestHpgl::millionTinySegments()
{
    QByteArray text = "IN;PU0,0;PD";
    text.reserve(12 * 1000000);
    for (int i = 1; i <= 1000000; ++i) {
        text += QByteArray::number(i);
        text += i % 2 ? ",1," : ",0,";
    }
    text += "0,0;";
    QElapsedTimer timer;
    timer.start();
    HPGL_Stats stats;
    const Result r = parse(text, &stats);
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(stats.points, qint64(1000002));
    QCOMPARE(r.paths.size(), 1);
    QCOMPARE(r.paths[0].points.size(), 1000002);
}

void TestHpgl::limits()
{
    HPGL_Reader *reader = init_HPGL();
    limits_HPGL(reader, 10, 4);
    Result r;
    const QByteArray text = "PU0,0;PD1,0,2,0,3,0,4,0,5,0;PU;PD9,9;PU0,0;PD1,1,2,2,3,3,4,4,5,5,6,6,7,7;";
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("stopped after"));
    read_HPGL_data(reader, text.constData(), text.size(), collect, &r);
    const HPGL_Stats stats = stats_HPGL(reader);
    exit_HPGL(reader);
    QVERIFY(stats.truncated);
    QVERIFY(stats.points <= 10);
    // Long paths come in pieces of four points, each starting where the last ended.
    QCOMPARE(r.paths[0].points, poly({{0, 0}, {1, 0}, {2, 0}, {3, 0}}));
    QCOMPARE(r.paths[1].points, poly({{3, 0}, {4, 0}, {5, 0}}));
}

DRAVO_TEST_MAIN(TestHpgl)
#include "tst_hpgl.moc"
