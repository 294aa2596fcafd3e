#include "tests/support/cameras/CheckResults.h"
#include "views/overlays/LostLabelView.h"
#include "tests/views/OverlayFixture.h"
#include "tests/support/TestMain.h"

#include <QGuiApplication>
#include <QSignalSpy>

// The lost-label overlay painted into an image: missing labels red, codes and
// texts with their outlines, the paper edges blue, the cut line red, "未检出"
// while a page is followed without paper; nothing without a scale.
class TestLostLabelView : public QObject
{
    Q_OBJECT

    // Item 400 x 300 over an image 600 rows high: 2 image pixels per item pixel.
    static void lay(LostLabelView &view)
    {
        view.setSize(QSizeF(400, 300));
        view.setImageH(600);
    }
    static std::shared_ptr<const ReadData> result(int first, int last, int segment)
    {
        using CheckResults::label;
        auto r = std::make_shared<ReadData>(CheckResults::paper(first, last, segment));
        r->labels.push_back(label(0, 40, 40, 100, 60));
        r->labels.push_back(label(2, 200, 40, 100, 60));
        LabelRecord passed = label(1, 40, 300, 500, 260);
        LabelCode bar;
        bar.code = "BC";
        bar.x = 60;
        bar.y = 340;
        bar.corners = {{60, 340}, {160, 340}, {160, 380}, {60, 380}};
        passed.barCodes.push_back(bar);
        LabelCode qr;
        qr.code = "QQQQ";
        qr.x = 300;
        qr.y = 340;
        qr.corners = {{300, 340}, {380, 420}}; // too few to outline
        passed.qrCodes.push_back(qr);
        LabelText three;
        three.text = "NOTSHOWN";
        three.box = {{60, 420}, {200, 420}, {200, 470}};
        passed.texts.push_back(three);
        LabelText gbk;
        gbk.text = "\xD6\xD0\xCE\xC4"; // GBK, not UTF-8
        gbk.box = {{300, 480}, {420, 480}, {420, 540}, {300, 540}};
        passed.texts.push_back(gbk);
        r->labels.push_back(passed);
        return r;
    }

private slots:
    void paintsTheResult()
    {
        OverlayFixture source;
        source.result = result(100, 700, 200);
        LostLabelView view;
        lay(view);
        const QImage image = OverlayFixture::paint(view);
        // Missing: red area; failed: nothing.
        const QColor lost = image.pixelColor(45, 35);
        QVERIFY2(lost.red() == 255 && lost.green() < 120 && lost.blue() < 120, qPrintable(lost.name()));
        QCOMPARE(image.pixelColor(125, 35), QColor(Qt::white));
        // Bar code: purple outline and its text; QR code: its text only; texts green.
        QVERIFY(OverlayFixture::count(image, QRect(28, 168, 56, 4), QColor(128, 0, 128)) > 20);
        QVERIFY(OverlayFixture::count(image, QRect(28, 150, 30, 20), QColor(128, 0, 128)) > 5);
        QVERIFY(OverlayFixture::count(image, QRect(150, 150, 40, 20), QColor(255, 165, 0)) > 5);
        QCOMPARE(OverlayFixture::count(image, QRect(155, 172, 40, 40), QColor(255, 165, 0)), 0);
        QVERIFY(OverlayFixture::count(image, QRect(28, 208, 74, 4), QColor(0, 255, 0)) > 20);
        QCOMPARE(OverlayFixture::count(image, QRect(28, 190, 74, 18), QColor(0, 255, 0)), 0); // three points: no text
        QVERIFY(OverlayFixture::count(image, QRect(148, 220, 60, 20), QColor(0, 255, 0)) > 5);
        // Edges blue from top to bottom, the cut line red between them.
        QVERIFY(image.pixelColor(50, 2).blue() == 255 && image.pixelColor(50, 2).red() < 200);
        QVERIFY(image.pixelColor(350, 297).blue() == 255 && image.pixelColor(350, 297).red() < 200);
        QCOMPARE(image.pixelColor(200, 100), QColor(Qt::red));
        QCOMPARE(image.pixelColor(30, 100), QColor(Qt::white));
    }

    void edgesAndNotFound_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("segment");   // of the result
        QTest::addColumn<int>("following"); // the application's page row
        QTest::addColumn<bool>("edges");
        QTest::addColumn<bool>("cut");
        QTest::addColumn<bool>("notFound");
        QTest::newRow("both edges, no page: edges only") << 100 << 700 << 0 << 5 << true << false << false;
        QTest::newRow("both edges and the page") << 100 << 700 << 200 << 0 << true << true << false;
        QTest::newRow("no first edge, page followed") << 0 << 700 << 200 << 5 << false << false << true;
        QTest::newRow("no edges, no page followed") << 0 << 0 << 0 << 0 << false << false << false;
        QTest::newRow("negative edges") << -5 << -1 << 0 << 1 << false << false << true;
    }
    void edgesAndNotFound()
    {
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(int, segment);
        QFETCH(int, following);
        OverlayFixture source;
        source.result = std::make_shared<ReadData>(CheckResults::paper(first, last, segment));
        source.segment = following;
        LostLabelView view;
        lay(view);
        const QImage image = OverlayFixture::paint(view);
        QTEST(OverlayFixture::count(image, QRect(349, 0, 3, 300), QColor(Qt::blue)) > 250, "edges");
        QTEST(OverlayFixture::count(image, QRect(100, 98, 200, 4), QColor(Qt::red)) > 150, "cut");
        // "未检出" starts at (height / 2, width / 2): the item is shown turned.
        QTEST(OverlayFixture::count(image, QRect(150, 180, 60, 25), QColor(Qt::red)) > 20, "notFound");
    }

    // Nothing to scale by, or nobody to draw for: nothing drawn.
    void drawsNothing()
    {
        LostLabelView view;
        lay(view);
        QVERIFY(OverlayFixture::blank(OverlayFixture::paint(view))); // no source
        OverlayFixture source;
        source.result = result(100, 700, 200);
        source.segment = 5;
        view.setImageH(0);
        QVERIFY(OverlayFixture::blank(OverlayFixture::paint(view)));
        view.setImageH(600);
        view.setHeight(0);
        QImage canvas(400, 300, QImage::Format_RGB32);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        view.paint(&painter);
        painter.end();
        QVERIFY(OverlayFixture::blank(canvas));
        source.result.reset();
        view.setHeight(300);
        QVERIFY(!OverlayFixture::blank(OverlayFixture::paint(view))); // no result yet: "未检出" alone
    }

    // The sizes signal a real change only; the application's repaint request reaches the item.
    void propertiesAndRepaint()
    {
        OverlayFixture source;
        LostLabelView view;
        QSignalSpy w(&view, &LostLabelView::imageWChanged), h(&view, &LostLabelView::imageHChanged);
        view.setImageH(600);
        view.setImageH(600 + 1e-10);
        view.setImageW(800);
        view.setImageW(800);
        QVERIFY(w.count() == 1 && h.count() == 1 && view.imageW() == 800);
        QCOMPARE(source.listeners(SIGNAL(lostViewUpdate(QRect))), 1);
        QCOMPARE(source.listeners(SIGNAL(filmViewUpdate(QRect))), 0);
    }
};

DRAVO_GUI_TEST_MAIN(TestLostLabelView)
#include "tst_lostlabelview.moc"
