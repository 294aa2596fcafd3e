#include "Config.h"
#include "GScene.h"
#include "MarkFrames.h"
#include "MarkScanner.h"
#include "OcrLite.h"
#include "TestMain.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSignalSpy>
#include <memory>

using namespace MarkFrames;

namespace {

const QString kQuiet = QStringLiteral("dravo.markfinder.debug=false\ndefault.info=false");

struct Counters
{
    int today = 0, todayOk = 0;
    qulonglong total = 0, totalOk = 0;
    static Counters of(const Config &c)
    {
        return {c.todayScanMark(), c.todayScanMarkOk(), c.totalScanMark(), c.totalScanMarkOk()};
    }
};

bool near(QPointF a, QPointF b, double within = 1.0)
{
    return qAbs(a.x() - b.x()) <= within && qAbs(a.y() - b.y()) <= within;
}

QString where(QPointF p)
{
    return QStringLiteral("%1, %2").arg(p.x()).arg(p.y());
}

} // namespace

class TestMarkScanner : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void findsTheMark_data();
    void findsTheMark();
    void blankFrameIsNoMark();
    void badFramesAreNoMark_data();
    void badFramesAreNoMark();
    void randomFramesAreSafe();
    void firstConfirmedCandidateInModeB();
    void extremeCandidateInModeA_data();
    void extremeCandidateInModeA();
    void unconfirmedCandidateIsKept();
    void readsTheTaskCode_data();
    void readsTheTaskCode();
    void paramsFromConfigAndScene();

private:
    std::unique_ptr<Config> m_config;
    OcrLite m_ocr;
    MarkScanParams m_params;
};

void TestMarkScanner::initTestCase()
{
    QLoggingCategory::setFilterRules(kQuiet);
    m_config = std::make_unique<Config>(QDir::currentPath());
    QVERIFY(m_ocr.initModels(QStringLiteral("./models/ch_PP-OCRv3_det_infer.onnx"), QString(),
                             QStringLiteral("./models/ch_PP-OCRv3_rec_infer.onnx"), QString()));
}

void TestMarkScanner::init()
{
    m_params = MarkScanParams::fromConfig(m_config.get());
    m_params.saveDir = QDir::currentPath();
}

void TestMarkScanner::findsTheMark_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPointF>("mark");
    QTest::addColumn<QPointF>("expected"); // pixels of the scaled frame
    QTest::newRow("centre") << QSize(1280, 960) << QPointF(640, 480) << QPointF(160, 120);
    QTest::newRow("off centre") << QSize(1280, 960) << QPointF(900, 300) << QPointF(225, 75);
    // The crop's corner is clamped to 0 and the clamped corner is added back.
    QTest::newRow("top-left corner") << QSize(1280, 960) << QPointF(100, 80) << QPointF(25, 20);
    QTest::newRow("bottom-right corner") << QSize(1280, 960) << QPointF(1190, 880) << QPointF(297.5, 220);
    // 2448 x 2048 scales to 286 x 240: 8.56 to one, not the 7 of an integer quotient.
    QTest::newRow("2448 wide") << QSize(2448, 2048) << QPointF(1500, 700) << QPointF(1500 / 8.5594, 700 / 8.5594);
    // Odd widths: the scaled frame's rows are padded.
    QTest::newRow("1283 wide") << QSize(1283, 961) << QPointF(700, 500) << QPointF(700 / 4.009, 500 / 4.009);
    // Narrower than the mark-camera width: scaled up, ratio below one.
    QTest::newRow("narrow frame") << QSize(300, 300) << QPointF(150, 150) << QPointF(120, 120);
}

void TestMarkScanner::findsTheMark()
{
    QFETCH(QSize, size);
    QFETCH(QPointF, mark);
    QFETCH(QPointF, expected);
    const Counters before = Counters::of(*m_config);
    const QImage frame = markFrame({mark}, size.width(), size.height());
    const MarkScanResult result = MarkScanner(&m_ocr).scan(frame, m_params, m_config.get());
    QVERIFY2(result.found(), "no mark");
    QVERIFY2(near(result.point, expected, 1.5), qPrintable(where(result.point)));
    const double ratio = double(size.width()) / result.record.image.width();
    QVERIFY2(qAbs(result.diameter - 140 / ratio) <= qMax(2.0, 14 / ratio), qPrintable(QString::number(result.diameter)));
    QVERIFY(result.diameter >= 1.0f);
    // The film record: the scaled frame and the mark, no code.
    QVERIFY(result.record.image.width() <= 320 && result.record.image.height() <= 240);
    QVERIFY(result.record.image.width() == 320 || result.record.image.height() == 240);
    QCOMPARE(result.record.x, result.point.x());
    QCOMPARE(result.record.y, result.point.y());
    QCOMPARE(result.record.diameter, result.diameter);
    QVERIFY(result.record.text.isEmpty());
    QVERIFY(result.record.points.isEmpty());
    QCOMPARE(result.taskCode, 0);
    const Counters after = Counters::of(*m_config);
    QCOMPARE(after.today, before.today + 1);
    QCOMPARE(after.total, before.total + 1);
    QCOMPARE(after.todayOk, before.todayOk + 1);
    QCOMPARE(after.totalOk, before.totalOk + 1);
}

void TestMarkScanner::blankFrameIsNoMark()
{
    const Counters before = Counters::of(*m_config);
    QSignalSpy scans(m_config.get(), &Config::todayScanMarkChanged);
    QSignalSpy totals(m_config.get(), &Config::totalScanMarkChanged);
    QSignalSpy oks(m_config.get(), &Config::todayScanMarkOkChanged);
    const MarkScanResult result = MarkScanner(&m_ocr).scan(paper(1280, 960), m_params, m_config.get());
    QVERIFY(!result.found());
    QCOMPARE(result.point, QPointF(0, 0));
    QCOMPARE(result.diameter, 0.0f);
    QCOMPARE(result.record.diameter, 0.0f);
    QCOMPARE(result.record.image.size(), QSize(320, 240));
    QCOMPARE(result.candidates, 0);
    const Counters after = Counters::of(*m_config);
    QCOMPARE(after.today, before.today + 1);
    QCOMPARE(after.total, before.total + 1);
    QCOMPARE(after.todayOk, before.todayOk);
    QCOMPARE(after.totalOk, before.totalOk);
    QCOMPARE(scans.count(), 1);
    QCOMPARE(totals.count(), 1);
    QCOMPARE(oks.count(), 0);
    // Without Config nothing is counted, and nothing breaks.
    QVERIFY(!MarkScanner().scan(paper(1280, 960), m_params, nullptr).found());
}

void TestMarkScanner::badFramesAreNoMark_data()
{
    QTest::addColumn<QImage>("frame");
    QTest::addColumn<int>("cameraWidth");
    QTest::addColumn<double>("markSize");
    QTest::addColumn<QString>("log"); // empty: searched, nothing found
    QImage black = paper(1280, 960);
    black.fill(Qt::black);
    QImage noisy = paper(1280, 960);
    noise(noisy, 5);
    QImage noMarkColourTable(1280, 960, QImage::Format_Indexed8);
    noMarkColourTable.fill(0);
    QImage twoRows = paper(4000, 2);
    const QImage mark = markFrame({QPointF(640, 480)});
    QTest::newRow("null") << QImage() << 320 << 3.5 << "no mark: empty frame";
    QTest::newRow("black") << black << 320 << 3.5 << "";
    QTest::newRow("noise") << noisy << 320 << 3.5 << "";
    QTest::newRow("indexed without colours") << noMarkColourTable << 320 << 3.5 << "";
    QTest::newRow("tiny") << paper(16, 16) << 320 << 3.5 << "no mark: frame too small: 16 x 16";
    QTest::newRow("a sliver") << twoRows << 320 << 3.5 << "no mark: frame too small: 4000 x 2";
    QTest::newRow("too wide") << paper(9000, 40) << 320 << 3.5 << "no mark: frame too large: 9000 x 40";
    QTest::newRow("mark-camera width 0") << mark << 0 << 3.5 << "no mark: mark-camera size 0 x 240";
    QTest::newRow("mark size 0") << mark << 320 << 0.0 << "no mark: mark size 0 mm";
    QTest::newRow("mark size not a number") << mark << 320 << qQNaN() << "no mark: mark size nan mm";
}

void TestMarkScanner::badFramesAreNoMark()
{
    QFETCH(QImage, frame);
    QFETCH(int, cameraWidth);
    QFETCH(double, markSize);
    QFETCH(QString, log);
    m_params.cameraWidth = cameraWidth;
    m_params.markSize = markSize;
    m_params.markIndex = 1;
    m_params.readCode = true;
    m_params.codeReader = 1;
    const Counters before = Counters::of(*m_config);
    // Each says why in the log.
    QLoggingCategory::setFilterRules(QStringLiteral("dravo.markfinder.debug=false"));
    if (!log.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, qPrintable(QStringLiteral("MarkScanner::scan ") + log));
    else
        QTest::ignoreMessage(QtInfoMsg, "MarkScanner::scan no mark found");
    const MarkScanResult result = MarkScanner(&m_ocr).scan(frame, m_params, m_config.get());
    QLoggingCategory::setFilterRules(kQuiet);
    QVERIFY(!result.found());
    QCOMPARE(result.diameter, 0.0f);
    QCOMPARE(result.record.diameter, 0.0f);
    QVERIFY(result.record.text.isEmpty());
    QCOMPARE(result.taskCode, 0);
    QCOMPARE(Counters::of(*m_config).today, before.today + 1);
    QCOMPARE(Counters::of(*m_config).todayOk, before.todayOk);
}

void TestMarkScanner::randomFramesAreSafe()
{
    // Any size, format and scribble: a result or "no mark", in bounded time,
    // never a point outside the scaled frame or a size below one pixel.
    const QImage::Format formats[] = {QImage::Format_RGB32, QImage::Format_RGB888, QImage::Format_Grayscale8,
                                      QImage::Format_Indexed8, QImage::Format_Mono, QImage::Format_ARGB32,
                                      QImage::Format_RGB16, QImage::Format_Grayscale16};
    QLoggingCategory::setFilterRules(QStringLiteral("dravo.markfinder.debug=false\ndefault.info=false\ndefault.warning=false"));
    QRandomGenerator random(2024);
    for (int i = 0; i < 40; ++i) {
        QImage frame = paper(random.bounded(32, 1400), random.bounded(32, 1100));
        if (i % 5 == 0)
            noise(frame, quint32(i));
        for (int shapes = random.bounded(6); shapes > 0; --shapes) {
            const QPointF at(random.bounded(frame.width()), random.bounded(frame.height()));
            if (random.bounded(2))
                disc(frame, at, random.bounded(5, 300), QColor::fromRgb(random.bounded(256), 0, random.bounded(256)));
            else
                square(frame, at, random.bounded(5, 300));
        }
        const QImage converted = frame.convertToFormat(formats[i % 8]);
        m_params.markType = i % 2;
        m_params.markIndex = i % 6;
        m_params.readCode = true;
        m_params.codeReader = 1 + i % 2;
        QElapsedTimer timer;
        timer.start();
        const MarkScanResult result = MarkScanner(&m_ocr).scan(converted, m_params, nullptr);
        QVERIFY(timer.elapsed() < 5000);
        if (result.found()) {
            QVERIFY(result.diameter >= 1.0f);
            QVERIFY(QRectF(QPointF(0, 0), QSizeF(result.record.image.size())).contains(result.point));
        } else {
            QCOMPARE(result.diameter, 0.0f);
        }
    }
    QLoggingCategory::setFilterRules(kQuiet);
}

void TestMarkScanner::firstConfirmedCandidateInModeB()
{
    // Two marks: the one nearer the centre is returned first and confirmed.
    const QImage frame = markFrame({QPointF(300, 200), QPointF(700, 520)});
    m_params.saveCandidates = true;
    const QString folder = QDir::currentPath() + QStringLiteral("/point/") + QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^MarkScanner::scan scan point  2 save ") +
                                                           QRegularExpression::escape(folder) + QStringLiteral("/.*\\.jpg$")));
    const MarkScanResult result = MarkScanner().scan(frame, m_params, m_config.get());
    QCOMPARE(result.candidates, 2);
    QVERIFY2(near(result.point, QPointF(175, 130)), qPrintable(where(result.point)));
    const QStringList saved = QDir(folder).entryList({QStringLiteral("*.jpg")});
    QCOMPARE(saved.size(), 1);
    QCOMPARE(QImage(folder + QLatin1Char('/') + saved.first()).size(), QSize(1280, 960));

    // Off: nothing is saved. Mode A never saves.
    m_params.saveCandidates = false;
    QVERIFY(MarkScanner().scan(frame, m_params, m_config.get()).found());
    m_params.saveCandidates = true;
    m_params.markType = 1;
    QVERIFY(MarkScanner().scan(frame, m_params, m_config.get()).found());
    QCOMPARE(QDir(folder).entryList({QStringLiteral("*.jpg")}).size(), 1);
}

void TestMarkScanner::extremeCandidateInModeA_data()
{
    QTest::addColumn<int>("markType");
    QTest::addColumn<int>("markIndex");
    QTest::addColumn<QPointF>("expected");
    // Marks at y 600 (nearer the centre, found first) and y 260.
    QTest::newRow("mode A, mark 1: the highest") << 1 << 1 << QPointF(160, 65);
    QTest::newRow("mode A, mark 2: the highest") << 1 << 2 << QPointF(160, 65);
    QTest::newRow("mode A, mark 3: the lowest") << 1 << 3 << QPointF(160, 150);
    QTest::newRow("mode A, mark 4: the lowest") << 1 << 4 << QPointF(160, 150);
    QTest::newRow("mode A, no mark index: the first") << 1 << 0 << QPointF(160, 150);
    QTest::newRow("mode A, index 7: the first") << 1 << 7 << QPointF(160, 150);
    QTest::newRow("mode B, mark 1: the first") << 0 << 1 << QPointF(160, 150);
}

void TestMarkScanner::extremeCandidateInModeA()
{
    QFETCH(int, markType);
    QFETCH(int, markIndex);
    QFETCH(QPointF, expected);
    m_params.markType = markType;
    m_params.markIndex = markIndex;
    const MarkScanResult result = MarkScanner().scan(markFrame({QPointF(640, 600), QPointF(640, 260)}), m_params, m_config.get());
    QCOMPARE(result.candidates, 2);
    QVERIFY2(near(result.point, expected), qPrintable(where(result.point)));
}

void TestMarkScanner::unconfirmedCandidateIsKept()
{
    // A tolerance the first stage accepts but the crop does not: the small
    // frame's disc is 35 +-1 pixels, the crop's 140 +-4, and a 130-pixel mark
    // passes only the first. Its first-stage centre and size stand.
    QImage frame = paper(1280, 960);
    disc(frame, QPointF(640, 480), 128);
    m_params.tolerance = 0.06;
    QTest::ignoreMessage(QtWarningMsg, "MarkScanner::scan 二次扫描失败");
    const MarkScanResult result = MarkScanner().scan(frame, m_params, m_config.get());
    QVERIFY2(near(result.point, QPointF(160, 120)), qPrintable(where(result.point)));
    QVERIFY(result.diameter >= 31 && result.diameter <= 35);
}

void TestMarkScanner::readsTheTaskCode_data()
{
    QTest::addColumn<int>("reader");
    QTest::addColumn<int>("markIndex");
    QTest::addColumn<bool>("readCode");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("code");
    QTest::newRow("QR code at mark 1") << 1 << 1 << true << "1a" << 26;
    QTest::newRow("digits at mark 1") << 2 << 1 << true << "20240517" << 20240517;
    QTest::newRow("code already known") << 1 << 1 << false << "" << 0;
    QTest::newRow("mark 2") << 1 << 2 << true << "" << 0;
    QTest::newRow("no reader") << 0 << 1 << true << "" << 0;
}

void TestMarkScanner::readsTheTaskCode()
{
    QFETCH(int, reader);
    QFETCH(int, markIndex);
    QFETCH(bool, readCode);
    QFETCH(QString, text);
    QFETCH(int, code);
    QImage frame = markFrame({QPointF(600, 480)});
    if (reader == 2)
        printed(frame, QPointF(720, 520), QStringLiteral("20240517"));
    else
        qrCode(frame, QPoint(760, 380), QStringLiteral("1a"));
    m_params.codeReader = reader;
    m_params.markIndex = markIndex;
    m_params.readCode = readCode;
    const MarkScanResult result = MarkScanner(&m_ocr).scan(frame, m_params, m_config.get());
    QVERIFY(near(result.point, QPointF(150, 120)));
    QCOMPARE(result.record.text, text);
    QCOMPARE(result.taskCode, code);
    QCOMPARE(result.record.points.isEmpty(), text.isEmpty());
    for (const QPointF &p : result.record.points)
        QVERIFY2(p.x() > 150 && p.x() < 320 && p.y() > 80 && p.y() < 160, qPrintable(where(p)));

    // No mark, no code: the reader is not even asked.
    QImage codeOnly = paper(1280, 960);
    qrCode(codeOnly, QPoint(760, 380), QStringLiteral("1a"));
    const MarkScanResult none = MarkScanner(&m_ocr).scan(codeOnly, m_params, m_config.get());
    QVERIFY(!none.found());
    QVERIFY(none.record.text.isEmpty());
    QCOMPARE(none.taskCode, 0);
}

void TestMarkScanner::paramsFromConfigAndScene()
{
    m_config->setProperty(Config::CPT_Mark_Size, 2.0);
    m_config->setProperty(Config::CPT_dtMark, 0.2);
    m_config->setProperty(Config::CPT_SAVE_Check_Img, true);
    m_config->setProperty(Config::CPT_Enable_Cut_Marker_Type, 2);
    const MarkScanParams p = MarkScanParams::fromConfig(m_config.get());
    QCOMPARE(p.cameraWidth, 320);
    QCOMPARE(p.cameraHeight, 240);
    QCOMPARE(p.markSize, 2.0);
    QCOMPARE(p.tolerance, 0.2);
    QVERIFY(p.saveCandidates);
    QCOMPARE(p.codeReader, 2);
    QCOMPARE(MarkScanParams::pageMarkType(nullptr), 0);
    GScene scene;
    QCOMPARE(MarkScanParams::pageMarkType(&scene), 0); // no page yet

    // A 2 mm mark is found with the smaller expected size.
    const QImage frame = [] {
        QImage f = paper(1280, 960);
        disc(f, QPointF(640, 480), 80);
        return f;
    }();
    const MarkScanResult result = MarkScanner().scan(frame, p, nullptr);
    QVERIFY(near(result.point, QPointF(160, 120)));
    QVERIFY(result.diameter >= 16 && result.diameter <= 24);
}

DRAVO_GUI_TEST_MAIN(TestMarkScanner)
#include "tst_markscanner.moc"
