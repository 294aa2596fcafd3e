#include "platform/graphics/paths/GPathProcess.h"
#include "PltHeader.h"
#include "platform/graphics/scenefiles/SceneReader.h"
#include "platform/graphics/scenefiles/SceneWriter.h"
#include "tests/support/TestMain.h"
#include "hpgl.h"

namespace {

// A 300 x 200 mm page (length x width) with its marks.
const QByteArray kHeader = "IN;PS12000,8000,200,400,1,120,0,3200;MD1,120,11200,7600,2;";

QPolygonF polygon(const SceneData &scene, int i)
{
    return scene.paths.value(i).path.toSubpathPolygons().value(0);
}

bool near(const QPolygonF &a, const QPolygonF &b, double tolerance = 1e-9)
{
    bool same = a.size() == b.size();
    for (int i = 0; same && i < a.size(); ++i)
        same = QLineF(a[i], b[i]).length() <= tolerance;
    return same;
}

// Everything a scene file carries: page, marks, lanes, paths of one and two
// subpaths in their own order, tools, segments, background, fields.
SceneData richScene()
{
    SceneData s;
    s.hasPage = s.hasMark = s.explicitOrder = true;
    s.pageMm = QSizeF(200, 300);
    s.markType = 4;
    s.markSizeMm = 3;
    s.markAreaMm = QRectF(10, 5, 180, 290);
    s.lanesPt = {0, GPathProcess::mm2Point(80)};
    const QPointF origin = s.markAreaScene().topLeft();
    QPainterPath one, two;
    one.addRect(QRectF(origin + QPointF(10, 10), QSizeF(100, 50)));
    two.addEllipse(QRectF(origin + QPointF(200, 20), QSizeF(40, 40)));
    two.addRect(QRectF(origin + QPointF(210, 30), QSizeF(10, 10)));
    s.paths << ScenePath{one, 1} << ScenePath{two, 2};
    ToolSetting t = ToolSetting::defaults(1);
    t.flags = 3;
    t.closeCompensate = 1.25;
    s.tools << t << ToolSetting::defaults(2);
    s.computeSegments();
    s.background = QImage(40, 60, QImage::Format_RGB888);
    s.background.fill(QColor(200, 220, 240));
    s.fields << VariableField{VariableField::Text, QStringLiteral("名称"), QString(), QRectF(10, 10, 60, 8)}
             << VariableField{VariableField::QrCode, QStringLiteral("Code"), QString(), QRectF(100, 10, 20, 20)}
             << VariableField{VariableField::Barcode, {}, QStringLiteral("FIXED"), QRectF(10, 40, 60, 15), 20, 9};
    return s;
}

void previewCollect(void *context, HPGL_Info info)
{
    QPolygonF p;
    for (const HPGL_Point *n = info.points; info.kind == HPGL_KIND_PATH && n; n = n->next)
        p << QPointF(n->x, n->y);
    if (!p.isEmpty())
        static_cast<QList<QPolygonF> *>(context)->append(p);
}

} // namespace

class TestSceneFile : public QObject
{
    Q_OBJECT
private slots:
    // Plain, bad and damaged files give a page only with paths, within limits.
    void reads_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("paths");     // -1: any
        QTest::addColumn<QSizeF>("pageMm"); // empty: any
        QTest::addColumn<bool>("marked");
        auto row = [](const char *name, const QByteArray &bytes, int paths, QSizeF page = {}, bool marked = false) {
            QTest::newRow(name) << bytes << paths << page << marked;
        };
        QByteArray binary;
        for (int i = 0; i < 100000; ++i)
            binary += char(i * 131 + (i >> 7));
        row("plain: page out to the farthest point", "IN;SP1;PU0,0;PD4000,0,4000,2000,0,0;", 1, QSizeF(50, 100));
        row("under a millimetre: A4", "IN;PU0,0;PD1,0;", 1, QSizeF(210, 297));
        row("empty", QByteArray(), 0);
        row("binary", binary, -1);
        row("malformed header", "IN;PSx,y,z;MD1;PU0,0;PD10,10;", 1);
        row("absurd coordinates", "IN;PU0,0;PD1e99,5,3000000000,5;PU;PD10,10,20,20;PD-2147483649,0;", 1);
        row("truncated", kHeader + "PU0,0;PD400,0,400", 1, QSizeF(200, 300), true);
    }
    void reads()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, paths);
        QFETCH(QSizeF, pageMm);
        QFETCH(bool, marked);
        const SceneData s = SceneReader::read(bytes);
        if (paths >= 0)
            QCOMPARE(s.paths.size(), paths);
        QCOMPARE(s.hasPage, !s.paths.isEmpty());
        QCOMPARE(s.hasMark && s.markType != 0, marked);
        if (s.hasPage)
            QVERIFY(pageMm.isEmpty() ? s.pageMm.width() > 0 && s.pageMm.height() > 0 : s.pageMm == pageMm);
    }

    // What is read back writes the same bytes again, so nothing written is lost.
    void tqcRoundTrip()
    {
        const SceneData s = richScene();
        const QByteArray bytes = SceneWriter::tqc(s);
        const SceneData back = SceneReader::read(bytes);
        QVERIFY2(back.problems.isEmpty(), qPrintable(back.problems.join("; ")));
        QCOMPARE(SceneWriter::tqc(back), bytes);
        QCOMPARE(back.paths.size(), 2);
        QCOMPARE(back.paths[1].path.toSubpathPolygons().size(), 2); // an item of two subpaths stays one item
        QVERIFY(near(polygon(back, 0), polygon(s, 0), 1e-4));
        QCOMPARE(back.tools.value(0).closeCompensate, 1.25);
        QCOMPARE(back.background, s.background);
        QCOMPARE(back.fields.value(2).fontPt, 9.0);
    }

    // The preview reads a scene file as a plotter file: the header in the first 256 bytes and the paths.
    void tqcReadsAsPlt()
    {
        const SceneData s = richScene();
        const QByteArray bytes = SceneWriter::tqc(s);
        const PltHeader h = PltHeader::parse(bytes);
        QVERIFY(h.valid && h.markType == 4 && h.lanes.size() == 2);
        QList<QPolygonF> preview;
        HPGL_Reader *reader = init_HPGL();
        read_HPGL_data(reader, bytes.constData(), bytes.size(), previewCollect, &preview);
        exit_HPGL(reader);
        QCOMPARE(preview.size(), 3);
        const QPolygonF first = GPathProcess::point2Hpgl(polygon(s, 0).translated(-s.markAreaScene().topLeft()));
        QVERIFY(near(preview[0], first, 1e-4));
    }

    void damagedTqc_data()
    {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<int>("paths");
        QTest::addColumn<bool>("image");
        QTest::newRow("base64 description") << QByteArray("CO\"SCENE ") << QByteArray("CO\"SCENE ***") << 3 << true;
        QTest::newRow("json") << QByteArray("CO\"SCENE ") << QByteArray("CO\"SCENE e3t7") << 3 << true;
        QTest::newRow("png") << QByteArray("CO\"IMAGE iVBOR") << QByteArray("CO\"IMAGE AAAA") << 2 << false;
        QTest::newRow("magic") << QByteArray("TQC 1") << QByteArray("TQC 9") << 3 << false;
    }
    // Without the description the header still gives page and marks, and every subpath is an item.
    void damagedTqc()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(int, paths);
        QFETCH(bool, image);
        QByteArray bytes = SceneWriter::tqc(richScene());
        QVERIFY(bytes.contains(from));
        const SceneData s = SceneReader::read(bytes.replace(from, to));
        QCOMPARE(s.paths.size(), paths);
        QVERIFY(s.hasPage && s.hasMark);
        QCOMPARE(s.pageMm, QSizeF(200, 300));
        QCOMPARE(!s.background.isNull(), image);
        QCOMPARE(s.problems.isEmpty(), from == "TQC 1");
    }

    void segments()
    {
        // Scene x along the web: rows x 0-10 and 20-30; columns y 0-10, 15-25 (with a hole) and 40-50.
        SceneData s;
        for (const QRectF &mm : {QRectF(0, 0, 10, 10), QRectF(20, 0, 10, 10), QRectF(0, 15, 10, 10),
                                 QRectF(20, 15, 10, 10), QRectF(0, 40, 10, 10), QRectF(22, 17, 2, 2)}) {
            s.paths << ScenePath{QPainterPath(), 1};
            s.paths.back().path.addRect(GPathProcess::mm2Point(mm));
        }
        s.computeSegments();
        QCOMPARE(s.rows, (QList<SceneSegment>{{0, 10}, {20, 30}}));
        QCOMPARE(s.cols, (QList<SceneSegment>{{0, 10}, {15, 25}, {40, 50}}));
    }
};

DRAVO_TEST_MAIN(TestSceneFile)
#include "tst_scenefile.moc"
