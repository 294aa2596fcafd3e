#include "online/carousel/CarouselImageWindow.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TestMain.h"
#include "tests/support/online/UpgradeServer.h"

#include <QAbstractButton>
#include <QApplication>
#include <memory>
#include <QBuffer>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QLabel>
#include <QScreen>
#include <QWindow>

namespace {

QByteArray png(int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return buffer.data();
}
} // namespace

// Records the links the desktop is asked to open.
class LinkRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};

// The carousel with images from the test's server: its size from the first
// image, its place, the cycle, the buttons, the links, the "x", and every
// list that gives nothing to show.
class TestCarouselImageWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void sizeRule_data();
    void sizeRule();
    void showsAtTheScreenCorner();
    void links_data();
    void links();
    void closeHidesNextListShows();
    void cycleAndJump();
    void listsWithNothingToShow_data();
    void listsWithNothingToShow();
    void redirectedAndReplaced();
    void followsAWindow();
    void outlivesTheFollowedWindow();

private:
    QString url(const QString &path) const { return m_server.url(path); }
    UpgradeServer m_server;
    LinkRecorder m_links;
    // Installed once the test runs: the test framework installs its own handler first.
    std::unique_ptr<LogCapture> m_log;
};

void TestCarouselImageWindow::initTestCase()
{
    m_log = std::make_unique<LogCapture>();
    QVERIFY(m_server.listen(201, 0));
    m_server.setReply("/wide.png", png(1000, 250, Qt::red));
    m_server.setReply("/photo.png", png(800, 600, Qt::green));
    m_server.setReply("/full.png", png(1920, 1080, Qt::blue));
    m_server.setReply("/slow.png", png(800, 600, Qt::green), 800);
    m_server.setReply("/strip.png", png(30000, 1, Qt::red));
    m_server.setReply("/text.png", "<html>no picture</html>");
    m_server.setRawReply("/moved.png", "HTTP/1.1 302 Found\r\nLocation: /wide.png\r\nContent-Length: 0\r\n\r\n");
    m_server.setEndless("/endless.png");
    m_server.setHang("/hang.png");
    for (const char *scheme : {"http", "https", "file", "mailto"})
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &m_links, "open");
}

void TestCarouselImageWindow::cleanupTestCase()
{
    for (const char *scheme : {"http", "https", "file", "mailto"})
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
}

void TestCarouselImageWindow::sizeRule_data()
{
    QTest::addColumn<QSize>("image");
    QTest::addColumn<QSize>("window"); // invalid: the window keeps its size
    QTest::newRow("banner") << QSize(1000, 250) << QSize(632, 158);
    QTest::newRow("full HD") << QSize(1920, 1080) << QSize(422, 237);
    QTest::newRow("photo") << QSize(800, 600) << QSize(365, 274);
    QTest::newRow("small square") << QSize(10, 10) << QSize(316, 316);
    QTest::newRow("no pixels") << QSize(0, 0) << QSize();
    QTest::newRow("no height") << QSize(500, 0) << QSize();
    QTest::newRow("strip") << QSize(30000, 1) << QSize();
    QTest::newRow("column") << QSize(1, 30000) << QSize();
}

void TestCarouselImageWindow::sizeRule()
{
    QFETCH(QSize, image);
    QFETCH(QSize, window);
    QCOMPARE(CarouselFrame::sizeFor(image), window);
}

void TestCarouselImageWindow::showsAtTheScreenCorner()
{
    CarouselImageWindow window;
    QVERIFY(window.isHidden());
    QVERIFY(window.windowFlags().testFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint));
    window.setImageUrl({url("/wide.png"), url("/photo.png"), url("/full.png")}, {"http://a.test/1", "http://a.test/2", "http://a.test/3"});
    window.startPlay();
    QTRY_VERIFY_WITH_TIMEOUT(window.isVisible(), 30000);
    QCOMPARE(window.size(), QSize(632, 158));
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QCOMPARE(window.geometry().bottomRight(), area.bottomRight());
    QCOMPARE(window.buttons().size(), 3);
    QVERIFY(window.buttons().first()->isChecked());
    QCOMPARE(window.buttons().first()->size(), QSize(16, 16));
    const QImage shot = window.grab().toImage();
    QCOMPARE(shot.pixelColor(316, 79), QColor(Qt::red));
    // The later images are letterboxed in the first one's size.
    QTRY_VERIFY_WITH_TIMEOUT(!window.images().items().at(1).image.isNull(), 30000);
    window.buttons().at(1)->click();
    QCOMPARE(window.currentIndex(), 1);
    const QImage photo = window.grab().toImage();
    QCOMPARE(photo.pixelColor(316, 79), QColor(Qt::green));
    QCOMPARE(photo.pixelColor(20, 79), QColor(photo.pixelColor(612, 79)));
    QVERIFY(photo.pixelColor(20, 79) != QColor(Qt::green));
}

void TestCarouselImageWindow::links_data()
{
    QTest::addColumn<QStringList>("links");
    QTest::addColumn<int>("image");
    QTest::addColumn<QString>("opened"); // empty: nothing
    const QStringList three{"http://a.test/1", "https://a.test/2", "http://a.test/3"};
    QTest::newRow("second of three") << three << 1 << "https://a.test/2";
    QTest::newRow("one for all") << QStringList{"http://a.test/all"} << 2 << "http://a.test/all";
    QTest::newRow("two for three") << three.mid(0, 2) << 2 << "";
    QTest::newRow("empty link") << QStringList{"http://a.test/1", ""} << 1 << "";
    QTest::newRow("local file") << QStringList{"http://a.test/1", "file:///etc/passwd"} << 1 << "";
    QTest::newRow("mail") << QStringList{"mailto:x@a.test", "x"} << 0 << "";
}

void TestCarouselImageWindow::links()
{
    QFETCH(QStringList, links);
    QFETCH(int, image);
    QFETCH(QString, opened);
    CarouselImageWindow window;
    window.setImageUrl({url("/wide.png"), url("/photo.png"), url("/full.png")}, links);
    window.startPlay();
    QTRY_VERIFY_WITH_TIMEOUT(window.isVisible(), 30000);
    window.buttons().at(image)->click();
    m_links.opened.clear();
    QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(200, 100));
    QCOMPARE(m_links.opened, opened.isEmpty() ? QList<QUrl>() : QList<QUrl>{QUrl(opened)});
    QVERIFY(window.isVisible());
}

void TestCarouselImageWindow::closeHidesNextListShows()
{
    CarouselImageWindow window;
    window.setImageUrl({url("/photo.png")}, {"http://a.test/1"});
    window.startPlay();
    QTRY_VERIFY_WITH_TIMEOUT(window.isVisible(), 30000);
    m_links.opened.clear();
    QTest::mouseClick(&window, Qt::LeftButton, {}, window.closeLabel()->geometry().center());
    QVERIFY(window.isHidden());
    QVERIFY(m_links.opened.isEmpty());
    window.setImageUrl({url("/wide.png")}, {});
    window.startPlay();
    QTRY_VERIFY_WITH_TIMEOUT(window.isVisible(), 30000);
    QCOMPARE(window.size(), QSize(632, 158)); // the new first image decides
}

// The image changes every five seconds with a fade; a button jumps at once
// and the next change comes a whole interval later. One image never fades.
void TestCarouselImageWindow::cycleAndJump()
{
    CarouselImageWindow window;
    window.setImageUrl({url("/wide.png"), url("/photo.png")}, {});
    window.startPlay();
    QTRY_VERIFY_WITH_TIMEOUT(window.isVisible(), 30000);
    QTRY_COMPARE_WITH_TIMEOUT(window.currentIndex(), 1, 15000);
    QVERIFY(window.isFading() && window.buttons().at(1)->isChecked());
    QTRY_VERIFY_WITH_TIMEOUT(!window.isFading(), 10000);
    window.buttons().at(0)->click();
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(window.currentIndex(), 0);
    QVERIFY(!window.isFading());
    QTRY_COMPARE_WITH_TIMEOUT(window.currentIndex(), 1, 15000);
    QVERIFY2(clock.elapsed() >= 4500, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(QMetaObject::invokeMethod(&window, "onImageSwitchButtonClicked", Q_ARG(int, 0)));
    QCOMPARE(window.currentIndex(), 1); // id 0: the last image

    CarouselImageWindow single;
    single.setImageUrl({url("/photo.png")}, {});
    single.startPlay();
    QVERIFY(QMetaObject::invokeMethod(&single, "onImageChangeTimeout"));
    QCOMPARE(single.currentIndex(), 0);
    QVERIFY(single.buttons().first()->isChecked());
    QVERIFY(!single.grab().isNull()); // a paint during the fade of one image draws it alone
}

void TestCarouselImageWindow::listsWithNothingToShow_data()
{
    QTest::addColumn<QStringList>("images");
    QTest::addColumn<int>("items");
    QTest::addColumn<QString>("line"); // what the log says about it
    QTest::newRow("none") << QStringList() << 0 << "";
    QTest::newRow("commas") << QStringList{"", "", ""} << 3 << "not an http(s) image";
    QTest::newRow("local file") << QStringList{"file:///usr/share/pixmaps/debian-logo.png"} << 1 << "not an http(s) image";
    QTest::newRow("not an image") << QStringList{"/text.png"} << 1 << "not an image";
    QTest::newRow("a strip") << QStringList{"/strip.png"} << 1 << "no window for an image of";
    QTest::newRow("endless") << QStringList{"/endless.png"} << 1 << "larger than 10485760 bytes";
    QTest::newRow("missing") << QStringList{"/missing.png"} << 1 << "ContentNotFoundError";
    QStringList many;
    for (int i = 0; i < 10000; ++i)
        many << QStringLiteral("/missing.png?%1").arg(i);
    QTest::newRow("ten thousand") << many << 20 << "10000 images, the first 20 kept";
}

void TestCarouselImageWindow::listsWithNothingToShow()
{
    QFETCH(QStringList, images);
    QFETCH(int, items);
    QFETCH(QString, line);
    const QStringList paths = images;
    const auto requests = [this, paths] {
        const QStringList all = m_server.requests();
        return int(std::count_if(all.cbegin(), all.cend(), [&paths](const QString &target) { return paths.contains(target); }));
    };
    const int requested = requests();
    for (QString &image : images)
        image = image.startsWith(QLatin1Char('/')) ? url(image) : image;
    const int before = line.isEmpty() ? 0 : m_log->count(line);
    CarouselImageWindow window;
    window.setImageUrl(images, QStringList(images.size(), QStringLiteral("http://a.test/")));
    window.startPlay();
    QCOMPARE(window.images().count(), items);
    QCOMPARE(window.buttons().size(), items);
    if (!line.isEmpty())
        QTRY_VERIFY_WITH_TIMEOUT(m_log->count(line) > before, 30000);
    QTRY_COMPARE_WITH_TIMEOUT(window.images().pendingDownloads(), 0, 30000);
    QVERIFY(requests() - requested <= qMin(items, 20));
    QVERIFY(window.isHidden());
    // Ticks, jumps and clicks find nothing to do; the paint says "404" without images.
    QVERIFY(QMetaObject::invokeMethod(&window, "onImageChangeTimeout"));
    QVERIFY(QMetaObject::invokeMethod(&window, "onImageSwitchButtonClicked", Q_ARG(int, 0)));
    m_links.opened.clear();
    QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(5, 100));
    QVERIFY(m_links.opened.size() <= 1);
    if (items == 0) {
        window.resize(100, 60);
        const QImage shot = window.grab().toImage();
        bool ink = false;
        for (int x = 0; x < 30 && !ink; ++x)
            for (int y = 0; y < 30 && !ink; ++y)
                ink = shot.pixelColor(x, y).lightness() < 100;
        QVERIFY(ink);
    }
}

// An image behind a redirect still has its place; a new list ends the old
// one's downloads, and a late answer of the old list changes nothing.
void TestCarouselImageWindow::redirectedAndReplaced()
{
    CarouselImageWindow window;
    window.setImageUrl({url("/moved.png")}, {});
    window.startPlay();
    QTRY_VERIFY_WITH_TIMEOUT(window.isVisible(), 30000);
    QCOMPARE(window.size(), QSize(632, 158));

    window.setImageUrl({url("/hang.png"), url("/slow.png")}, {});
    QCOMPARE(window.images().pendingDownloads(), 2);
    window.setImageUrl({url("/full.png")}, {});
    window.startPlay();
    QCOMPARE(window.images().pendingDownloads(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(window.size(), QSize(422, 237), 30000);
    QTest::qWait(0);
    QTRY_COMPARE_WITH_TIMEOUT(window.images().pendingDownloads(), 0, 30000);
    QCOMPARE(window.images().count(), 1);
    QCOMPARE(window.images().items().first().image.pixelColor(0, 0), QColor(Qt::blue));
}

// Offscreen: the window becomes a child of the followed window at its
// bottom-right corner, and keeps it through a resize. A widget parent is
// followed once it has a native window.
void TestCarouselImageWindow::followsAWindow()
{
    QWindow main;
    main.setGeometry(100, 100, 800, 600);
    main.show();
    CarouselImageWindow window(&main);
    QCOMPARE(window.followedWindow(), &main);
    QVERIFY(!window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    window.setImageUrl({url("/wide.png")}, {});
    window.startPlay();
    QTRY_VERIFY_WITH_TIMEOUT(window.isVisible(), 30000);
    QCOMPARE(window.windowHandle()->parent(), &main);
    QCOMPARE(window.windowHandle()->position(), QPoint(800 - 632, 600 - 158));
    main.resize(700, 500);
    QTRY_COMPARE_WITH_TIMEOUT(window.windowHandle()->position(), QPoint(700 - 632, 500 - 158), 10000);

    QWidget host;
    host.resize(900, 700);
    CarouselImageWindow hosted(&host);
    hosted.setImageUrl({url("/photo.png")}, {});
    hosted.startPlay();
    QTRY_COMPARE_WITH_TIMEOUT(hosted.size(), QSize(365, 274), 30000);
    QVERIFY(hosted.isHidden()); // no window to follow yet
    host.show();
    QTRY_VERIFY_WITH_TIMEOUT(hosted.isVisible(), 10000);
    QCOMPARE(hosted.followedWindow(), host.windowHandle());
    QCOMPARE(hosted.windowHandle()->position(), QPoint(900 - 365, 700 - 274));
}

// The followed window goes first (the pages' window before the program's
// objects): the carousel takes its window back and goes on, hidden.
void TestCarouselImageWindow::outlivesTheFollowedWindow()
{
    auto *main = new QWindow;
    main->resize(800, 600);
    main->show();
    CarouselImageWindow window(main);
    window.setImageUrl({url("/wide.png")}, {});
    window.startPlay();
    QTRY_VERIFY_WITH_TIMEOUT(window.isVisible(), 30000);
    delete main;
    QVERIFY(!window.followedWindow());
    QVERIFY(QMetaObject::invokeMethod(&window, "onImageChangeTimeout"));
    window.update();
    QTest::qWait(0);
}

DRAVO_GUI_TEST_MAIN(TestCarouselImageWindow)
#include "tst_carouselimagewindow.moc"
