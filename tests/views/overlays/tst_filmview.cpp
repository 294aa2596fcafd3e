#include "configuration/Config.h"
#include "inspection/marks/FilmList.h"
#include "views/overlays/FilmView.h"
#include "tests/views/OverlayFixture.h"
#include "tests/support/TestMain.h"

#include <QDir>
#include <QGuiApplication>
#include <QSignalSpy>

// The film overlay painted into an image: the latest mark's circle and code
// outline over the video, the task's marks as thumbnails, "未检出" where none
// was found; a scale in floating point, records without image left out.
class TestFilmView : public QObject
{
    Q_OBJECT
    std::unique_ptr<Config> m_config;

    // A mark scan on a grey 320 x 240 frame: centre (160, 120), 20 pixels across.
    static FilmRecord record(float diameter, QPolygonF points = {}, const QString &text = QString())
    {
        FilmRecord r;
        r.image = QImage(320, 240, QImage::Format_RGB32);
        r.image.fill(QColor(200, 200, 200));
        r.x = 160;
        r.y = 120;
        r.diameter = diameter;
        r.points = points;
        r.text = text;
        return r;
    }
    static QPolygonF square() { return QPolygonF({{140, 100}, {180, 100}, {180, 140}, {140, 140}}); }
    // The video fills an 800 x 600 item from (10, 20): 2.5 item pixels per image pixel.
    static void lay(FilmView &view, bool history = false)
    {
        view.setSize(QSizeF(800, 600));
        view.setVideoOutputX(10);
        view.setVideoOutputY(20);
        view.setVideoOutputWidth(800);
        view.setVideoOutputHeight(600);
        view.setShowHistory(history);
    }
    static QList<FilmRecord> cleared()
    {
        return QList<FilmRecord>(FilmList::kRecords, record(-1.0f));
    }

private slots:
    void initTestCase() { m_config = std::make_unique<Config>(QDir::currentPath()); }
    void cleanupTestCase() { m_config.reset(); }

    void latestScan_data()
    {
        QTest::addColumn<int>("rotation");
        QTest::addColumn<QRect>("circle"); // where the circle's ring lies
        QTest::addColumn<QRect>("outline");
        QTest::addColumn<QPoint>("text"); // the outline's fourth corner
        QTest::newRow("90") << 90 << QRect(295, 387, 50, 50) << QRect(270, 360, 100, 100) << QPoint(270, 360);
        QTest::newRow("270") << 270 << QRect(295, 385, 50, 50) << QRect(270, 360, 100, 100) << QPoint(370, 460);
        QTest::newRow("0: no outline") << 0 << QRect(-5, -15, 50, 50) << QRect() << QPoint();
    }
    void latestScan()
    {
        QFETCH(int, rotation);
        QFETCH(QRect, circle);
        QFETCH(QRect, outline);
        QFETCH(QPoint, text);
        m_config->setMarkCameraRotation(rotation);
        OverlayFixture source;
        source.films = cleared();
        source.films[0] = record(20, square(), QStringLiteral("C0DE"));
        FilmView view;
        lay(view);
        const QImage image = OverlayFixture::paint(view);
        const QPoint centre = circle.center();
        QVERIFY(OverlayFixture::count(image, QRect(circle.right() - 2, centre.y() - 3, 5, 7), Qt::red) > 3);
        QVERIFY(OverlayFixture::count(image, QRect(centre.x() - 3, circle.bottom() - 2, 7, 5), Qt::red) > 3);
        QCOMPARE(image.pixelColor(centre.x() + 1, centre.y() + 1), QColor(Qt::white));
        if (outline.isNull()) {
            QCOMPARE(OverlayFixture::count(image, image.rect(), Qt::blue), 0);
            return;
        }
        // The outline's sides, and its text from its fourth corner on.
        QVERIFY(OverlayFixture::count(image, QRect(outline.left() - 1, outline.top() + 20, 3, 60), Qt::blue) > 50);
        QVERIFY(OverlayFixture::count(image, QRect(outline.right() - 1, outline.top() + 20, 3, 60), Qt::blue) > 50);
        QVERIFY(OverlayFixture::count(image, QRect(text.x(), text.y() - 18, 40, 15), Qt::blue) > 10);
    }

    // Nothing over the video without a mark; nothing at all without a video size.
    void drawsNothing_data()
    {
        QTest::addColumn<float>("latest");
        QTest::addColumn<int>("videoWidth");
        QTest::addColumn<bool>("history");
        QTest::newRow("latest cleared") << -1.0f << 800 << false;
        QTest::newRow("latest without mark") << 0.0f << 800 << false;
        QTest::newRow("no video width, history on") << 20.0f << 0 << true;
        QTest::newRow("record 0 is no thumbnail") << -1.0f << 800 << true;
    }
    void drawsNothing()
    {
        QFETCH(float, latest);
        QFETCH(int, videoWidth);
        QFETCH(bool, history);
        m_config->setMarkCameraRotation(90);
        OverlayFixture source;
        source.films = cleared();
        source.films[0] = record(latest, square(), QStringLiteral("C0DE"));
        if (videoWidth == 0)
            source.films[1] = record(0);
        FilmView view;
        lay(view, history);
        view.setVideoOutputWidth(videoWidth);
        QVERIFY(OverlayFixture::blank(OverlayFixture::paint(view)));
    }

    // The task's marks in the corners: found with its circle, missed with "未检出", cleared not at all,
    // without image left out; none while the video has no y.
    void history()
    {
        m_config->setMarkCameraRotation(90);
        OverlayFixture source;
        source.films = cleared();
        source.films[1] = record(0);
        source.films[2] = record(20);
        source.films[4] = record(5);
        source.films[4].image = QImage();
        FilmView view;
        lay(view, true);
        const QImage image = OverlayFixture::paint(view);
        // Thumbnails 100 wide before the quarter turn: 75 x 100.
        const QColor grey(200, 200, 200);
        QCOMPARE(image.pixelColor(5, 415), grey);                                          // mark 1 bottom left
        QVERIFY(OverlayFixture::count(image, QRect(0, 440, 75, 22), Qt::red) > 20);        // "未检出" at half its height
        QCOMPARE(image.pixelColor(5, 45), grey);                                           // mark 2 top left
        QVERIFY(OverlayFixture::count(image, QRect(29, 40, 10, 100), Qt::red) > 5);        // its circle
        QCOMPARE(image.pixelColor(780, 45), QColor(Qt::white));                            // mark 3 cleared
        QCOMPARE(image.pixelColor(780, 500), QColor(Qt::white));                           // mark 4 without image
        view.setVideoOutputY(0);
        QVERIFY(OverlayFixture::blank(OverlayFixture::paint(view)));
    }

    // An outline's text needs three points; two are drawn as a line without it.
    void outlineText()
    {
        m_config->setMarkCameraRotation(90);
        OverlayFixture source;
        source.films = cleared();
        FilmView view;
        lay(view);
        auto paintWith = [&](const QPolygonF &points, const QString &text) {
            source.films[0] = record(20, points, text);
            return OverlayFixture::paint(view);
        };
        const QPolygonF two{QPointF(140, 100), QPointF(180, 140)};
        const QPolygonF three{QPointF(140, 100), QPointF(180, 100), QPointF(180, 140)};
        QCOMPARE(paintWith(two, "M"), paintWith(two, "MMMMMMMM"));
        QVERIFY(paintWith(three, "M") != paintWith(three, "MMMMMMMM"));
    }

    // Each property signals its change; the application's repaint request reaches the item.
    void properties()
    {
        OverlayFixture source;
        FilmView view;
        QSignalSpy x(&view, &FilmView::videoOutputXChanged), w(&view, &FilmView::videoOutputWidthChanged),
            history(&view, &FilmView::showHistoryChanged);
        view.setVideoOutputX(5);
        view.setVideoOutputX(5);
        view.setVideoOutputWidth(640);
        view.setVideoOutputWidth(0);
        view.setShowHistory(true);
        QVERIFY(x.count() == 1 && w.count() == 2 && history.count() == 1 && view.videoOutputWidth() == 0);
        QCOMPARE(source.listeners(SIGNAL(filmViewUpdate(QRect))), 1);
    }
};

DRAVO_GUI_TEST_MAIN(TestFilmView)
#include "tst_filmview.moc"
