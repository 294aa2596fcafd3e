#include "GPathProcess.h"
#include "PltHeader.h"
#include "SceneReader.h"
#include "SceneWriter.h"
#include "TestMain.h"
#include "hpgl.h"

#include <QPainter>

namespace {

// A 300 x 200 mm page (length x width), marked area from (10, 5) mm, 280 x 190 mm.
const QByteArray kHeader = "IN;PS12000,8000,200,400,1,120,0,3200;MD1,120,11200,7600,2;";

QPolygonF pathPolygon(const SceneData &scene, int i)
{
    const QList<QPolygonF> parts = scene.paths.value(i).path.toSubpathPolygons();
    return parts.value(0);
}

bool near(const QPolygonF &a, const QPolygonF &b, double tolerance = 1e-9)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i) {
        if (QLineF(a[i], b[i]).length() > tolerance)
            return false;
    }
    return true;
}

SceneData richScene()
{
    SceneData s;
    s.hasPage = true;
    s.pageMm = QSizeF(200, 300);
    s.hasMark = true;
    s.markType = 4;
    s.markSizeMm = 3;
    s.markAreaMm = QRectF(10, 5, 180, 290);
    s.lanesPt = {0, GPathProcess::mm2Point(80)};
    const QPointF origin = s.markAreaScene().topLeft();
    QPainterPath one;
    one.addRect(QRectF(origin + QPointF(10, 10), QSizeF(100, 50)));
    QPainterPath two;
    two.addEllipse(QRectF(origin + QPointF(200, 20), QSizeF(40, 40)));
    two.addRect(QRectF(origin + QPointF(210, 30), QSizeF(10, 10)));
    s.paths << ScenePath{one, 1} << ScenePath{two, 2};
    s.explicitOrder = true;
    ToolSetting t = ToolSetting::defaults(1);
    t.flags = 3;
    t.closeCompensate = 1.25;
    t.repeat = 2;
    s.tools << t << ToolSetting::defaults(2);
    s.computeSegments();
    s.background = QImage(40, 60, QImage::Format_RGB888);
    s.background.fill(QColor(200, 220, 240));
    QPainter(&s.background).fillRect(5, 5, 10, 10, Qt::black);
    VariableField text;
    text.column = QStringLiteral("名称");
    text.rectMm = QRectF(10, 10, 60, 8);
    VariableField qr;
    qr.kind = VariableField::QrCode;
    qr.column = QStringLiteral("Code");
    qr.rectMm = QRectF(100, 10, 20, 20);
    VariableField bar;
    bar.kind = VariableField::Barcode;
    bar.text = QStringLiteral("FIXED");
    bar.symbology = 20;
    bar.fontPt = 9;
    bar.rectMm = QRectF(10, 40, 60, 15);
    s.fields << text << qr << bar;
    return s;
}

struct Preview
{
    QList<QPolygonF> paths;
};

void previewCollect(void *context, HPGL_Info info)
{
    if (info.kind != HPGL_KIND_PATH)
        return;
    QPolygonF p;
    for (const HPGL_Point *n = info.points; n; n = n->next)
        p << QPointF(n->x, n->y);
    static_cast<Preview *>(context)->paths << p;
}

} // namespace

class TestSceneFile : public QObject
{
    Q_OBJECT
private slots:
    void headerGivesPageMarksAndLanes();
    void plainFile();
    void pltRoundTrip();
    void tqcRoundTrip();
    void tqcReadsAsPlt();
    void damagedTqc_data();
    void damagedTqc();
    void everyPrefixReads();
    void badFiles_data();
    void badFiles();
    void segments();
};

void TestSceneFile::headerGivesPageMarksAndLanes()
{
    const SceneData s = SceneReader::read(kHeader + "SP1;PU0,0;PD400,0,400,200;");
    QVERIFY(s.problems.isEmpty());
    QVERIFY(s.hasPage && s.hasMark);
    QCOMPARE(s.pageMm, QSizeF(200, 300));
    QCOMPARE(s.markAreaMm, QRectF(10, 5, 190, 280));
    QCOMPARE(s.markType, 1);
    QCOMPARE(s.markSizeMm, 3.0);
    QCOMPARE(s.lanesPt, (QList<double>{0, GPathProcess::mm2Point(80)}));
    // Scene x runs along the web: plotter X plus the area's offset along the web.
    QCOMPARE(s.pageScene(), QRectF(0, 0, GPathProcess::mm2Point(300), GPathProcess::mm2Point(200)));
    const QPointF origin(GPathProcess::mm2Point(5), GPathProcess::mm2Point(10));
    QCOMPARE(s.markAreaScene().topLeft(), origin);
    QCOMPARE(s.paths.size(), 1);
    QVERIFY(near(pathPolygon(s, 0), QPolygonF(QList<QPointF>{origin, origin + GPathProcess::mm2Point(QPointF(10, 0)),
                                                            origin + GPathProcess::mm2Point(QPointF(10, 5))})));
}

void TestSceneFile::plainFile()
{
    const SceneData s = SceneReader::read("IN;SP1;PU0,0;PD4000,0,4000,2000,0,0;");
    QVERIFY(s.hasPage && s.hasMark);
    QCOMPARE(s.markType, 0);
    QCOMPARE(s.pageMm, QSizeF(50, 100)); // out to the farthest point
    QCOMPARE(s.markAreaMm, QRectF(0, 0, 50, 100));
    QCOMPARE(pathPolygon(s, 0).front(), QPointF(0, 0));
    const SceneData dot = SceneReader::read("IN;PU0,0;PD1,0;");
    QCOMPARE(dot.pageMm, QSizeF(210, 297)); // under a millimetre: an A4 sheet
    const SceneData empty = SceneReader::read(QByteArray());
    QVERIFY(!empty.hasPage && !empty.hasMark);
    QVERIFY(empty.paths.isEmpty());
}

void TestSceneFile::pltRoundTrip()
{
    const SceneData s = SceneReader::read(kHeader + "SP2;PU13,17;PD400,0,400.5,200.25,13,17;PU;PD-5,-5,10,10;");
    const SceneData back = SceneReader::read(SceneWriter::plt(s));
    QCOMPARE(back.pageMm, s.pageMm);
    QCOMPARE(back.markAreaMm, s.markAreaMm);
    QCOMPARE(back.lanesPt, s.lanesPt);
    QCOMPARE(back.markSizeMm, s.markSizeMm);
    QCOMPARE(back.paths.size(), 2);
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(back.paths[i].tool, 2);
        QVERIFY(near(pathPolygon(back, i), pathPolygon(s, i)));
    }
}

void TestSceneFile::tqcRoundTrip()
{
    const SceneData s = richScene();
    const QByteArray bytes = SceneWriter::tqc(s);
    const SceneData back = SceneReader::read(bytes);
    QVERIFY2(back.problems.isEmpty(), qPrintable(back.problems.join("; ")));
    QCOMPARE(back.pageMm, s.pageMm);
    QCOMPARE(back.markType, 4);
    QCOMPARE(back.markSizeMm, 3.0);
    QCOMPARE(back.markAreaMm, s.markAreaMm);
    QCOMPARE(back.lanesPt, s.lanesPt);
    QVERIFY(back.explicitOrder);
    QCOMPARE(back.paths.size(), 2);
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(back.paths[i].tool, s.paths[i].tool);
        const QList<QPolygonF> a = back.paths[i].path.toSubpathPolygons();
        const QList<QPolygonF> b = s.paths[i].path.toSubpathPolygons();
        QCOMPARE(a.size(), b.size()); // an item of two subpaths stays one item
        for (int k = 0; k < a.size(); ++k)
            QVERIFY(near(a[k], b[k], 1e-4));
    }
    QCOMPARE(back.tools.size(), 2);
    QCOMPARE(back.tools[0].flags, 3);
    QCOMPARE(back.tools[0].closeCompensate, 1.25);
    QCOMPARE(back.tools[0].repeat, 2);
    QCOMPARE(back.tools[1].color, s.tools[1].color);
    QCOMPARE(back.rows, s.rows);
    QCOMPARE(back.cols, s.cols);
    QCOMPARE(back.background, s.background);
    QCOMPARE(back.background.format(), QImage::Format_RGB888);
    QCOMPARE(back.fields.size(), 3);
    QCOMPARE(back.fields[0].column, QStringLiteral("名称"));
    QCOMPARE(back.fields[1].kind, VariableField::QrCode);
    QCOMPARE(back.fields[2].text, QStringLiteral("FIXED"));
    QCOMPARE(back.fields[2].symbology, 20);
    QCOMPARE(back.fields[2].fontPt, 9.0);
    QCOMPARE(back.fields[2].rectMm, s.fields[2].rectMm);
}

// What the preview reads of a scene file: the header in the first 256 bytes and the paths.
void TestSceneFile::tqcReadsAsPlt()
{
    const SceneData s = richScene();
    const QByteArray bytes = SceneWriter::tqc(s);
    const PltHeader h = PltHeader::parse(bytes);
    QVERIFY(h.valid);
    QCOMPARE(GPathProcess::hpgl2Mm(h.pageLength), 300.0);
    QCOMPARE(GPathProcess::hpgl2Mm(h.pageWidth), 200.0);
    QCOMPARE(h.markType, 4);
    QCOMPARE(h.lanes.size(), 2);
    Preview preview;
    HPGL_Reader *reader = init_HPGL();
    read_HPGL_data(reader, bytes.constData(), bytes.size(), previewCollect, &preview);
    exit_HPGL(reader);
    QCOMPARE(preview.paths.size(), 3);
    const QPolygonF first = GPathProcess::point2Hpgl(pathPolygon(s, 0).translated(-s.markAreaScene().topLeft()));
    QVERIFY(near(preview.paths[0], first, 1e-4));
}

void TestSceneFile::damagedTqc_data()
{
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("to");
    QTest::addColumn<int>("paths");
    QTest::addColumn<bool>("image");
    QTest::newRow("base64 of the description") << QByteArray("CO\"SCENE ") << QByteArray("CO\"SCENE ***") << 3 << true;
    QTest::newRow("json") << QByteArray("CO\"SCENE ") << QByteArray("CO\"SCENE e3t7") << 3 << true;
    QTest::newRow("png") << QByteArray("CO\"IMAGE iVBOR") << QByteArray("CO\"IMAGE AAAA") << 2 << false;
    QTest::newRow("magic") << QByteArray("TQC 1") << QByteArray("TQC 9") << 3 << false;
}

void TestSceneFile::damagedTqc()
{
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QFETCH(int, paths);
    QFETCH(bool, image);
    QByteArray bytes = SceneWriter::tqc(richScene());
    QVERIFY(bytes.contains(from));
    bytes.replace(from, to);
    const SceneData s = SceneReader::read(bytes);
    // Without the description the header still gives page and marks, and every subpath is an item.
    QCOMPARE(s.paths.size(), paths);
    QVERIFY(s.hasPage && s.hasMark);
    QCOMPARE(s.pageMm, QSizeF(200, 300));
    QCOMPARE(!s.background.isNull(), image);
    QCOMPARE(s.problems.isEmpty(), from == "TQC 1");
}

void TestSceneFile::everyPrefixReads()
{
    const QByteArray bytes = SceneWriter::tqc(richScene());
    for (int n = 0; n <= bytes.size(); n += (n < 600 ? 1 : 97)) {
        const SceneData s = SceneReader::read(bytes.left(n));
        QVERIFY(s.paths.size() <= 3);
        QVERIFY(s.hasPage || s.paths.isEmpty());
    }
}

void TestSceneFile::badFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("paths");
    QTest::addColumn<bool>("marked");
    QByteArray binary;
    for (int i = 0; i < 100000; ++i)
        binary += char(i * 131 + (i >> 7));
    QTest::newRow("binary") << binary << -1 << false;
    QTest::newRow("only junk") << QByteArray("\x01\x02\xff;;;,,,12345") << 0 << false;
    QTest::newRow("malformed header") << QByteArray("IN;PSx,y,z;MD1;PU0,0;PD10,10;") << 1 << false;
    QTest::newRow("short MD") << QByteArray("IN;PS12000,8000,200,400,1;MD1,2;PU0,0;PD10,10;") << 1 << false;
    QTest::newRow("absurd coordinates")
        << QByteArray("IN;PU0,0;PD1e99,5,3000000000,5;PU;PD10,10,20,20;PD-2147483649,0;") << 1 << false;
    QTest::newRow("truncated") << (kHeader + "PU0,0;PD400,0,400") << 1 << true;
}

void TestSceneFile::badFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, paths);
    QFETCH(bool, marked);
    const SceneData s = SceneReader::read(bytes);
    if (paths >= 0)
        QCOMPARE(s.paths.size(), paths);
    QCOMPARE(s.hasPage, !s.paths.isEmpty());
    if (!s.hasPage)
        return;
    QCOMPARE(s.hasMark && s.markType != 0, marked);
    QVERIFY(s.pageMm.width() > 0 && s.pageMm.height() > 0);
}

void TestSceneFile::segments()
{
    SceneData s;
    auto square = [](double x, double y) {
        QPainterPath p;
        p.addRect(GPathProcess::mm2Point(QRectF(x, y, 10, 10)));
        return ScenePath{p, 1};
    };
    // Scene x along the web: two rows (x 0-10, 20-30), three columns (y 0-10, 15-25 with a hole, 40-50).
    s.paths << square(0, 0) << square(20, 0) << square(0, 15) << square(20, 15) << square(0, 40);
    QPainterPath hole;
    hole.addRect(GPathProcess::mm2Point(QRectF(22, 17, 2, 2)));
    s.paths << ScenePath{hole, 1};
    s.computeSegments();
    QCOMPARE(s.rows, (QList<SceneSegment>{{0, 10}, {20, 30}}));
    QCOMPARE(s.cols, (QList<SceneSegment>{{0, 10}, {15, 25}, {40, 50}}));
}

DRAVO_TEST_MAIN(TestSceneFile)
#include "tst_scenefile.moc"
