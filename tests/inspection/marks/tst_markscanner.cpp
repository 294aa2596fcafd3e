#include "configuration/Config.h"
#include "tests/inspection/marks/MarkFrames.h"
#include "inspection/marks/MarkScanner.h"
#include "OcrLite.h"
#include "tests/support/TestMain.h"

#include <QApplication>
#include <QDir>
#include <QLoggingCategory>
#include <memory>

using namespace MarkFrames;

const QString kQuiet = QStringLiteral("dravo.markfinder.debug=false");

class TestMarkScanner : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QLoggingCategory::setFilterRules(kQuiet + QStringLiteral("\ndefault.info=false"));
        m_config = std::make_unique<Config>(QDir::currentPath());
        QLoggingCategory::setFilterRules(kQuiet);
        QVERIFY(m_ocr.initModels(QStringLiteral("./models/ch_PP-OCRv3_det_infer.onnx"), QString(),
                                 QStringLiteral("./models/ch_PP-OCRv3_rec_infer.onnx"), QString()));
    }

    void scan_data()
    {
        QTest::addColumn<QImage>("frame");
        QTest::addColumn<QPointF>("expected"); // pixels of the scaled frame; (0, 0): no mark
        QTest::addColumn<QString>("text");     // the code read, then a warning the scan gives
        // camera width, mark size, tolerance, mark type, mark index, code reader
        QTest::addColumn<QList<double>>("params");
        auto row = [](const char *name, const QImage &frame, QPointF expected, const QString &text = {},
                      const QList<double> &params = {320, 3.5, 0.1, 0, 1, 1}) {
            QTest::newRow(name) << frame << expected << text << params;
        };
        auto one = [](QPointF mark, int width = 1280, int height = 960) { return markFrame({mark}, width, height); };
        row("off centre", one({900, 300}), {225, 75});
        // The crop's corner is clamped to 0 and the clamped corner is added back.
        row("top-left corner", one({100, 80}), {25, 20});
        // 2448 x 2048 scales to 286 x 240 (padded rows): 8.56 to one, not the 7 of an integer quotient.
        row("2448 wide", one({1500, 700}, 2448, 2048), QPointF(1500, 700) / 8.5594);
        // Two marks, at y 600 (nearer the centre, found first) and 260: mode A takes the extreme one.
        const QImage two = markFrame({QPointF(640, 600), QPointF(640, 260)});
        row("mode B: the first confirmed", two, {160, 150}, {}, {320, 3.5, 0.1, 0, 2, 1});
        row("mode A, mark 2: the highest", two, {160, 65}, {}, {320, 3.5, 0.1, 1, 2, 1});
        row("mode A, mark 3: the lowest", two, {160, 150}, {}, {320, 3.5, 0.1, 1, 3, 1});
        // The first stage takes 35 +-2 pixels, the crop 140 +-8: a 128-pixel mark keeps its first-stage result.
        QImage small = paper(1280, 960);
        disc(small, QPointF(640, 480), 128);
        row("confirmed by the first stage only", small, {160, 120}, "|二次扫描失败", {320, 3.5, 0.06, 0, 1, 1});
        // The task code at the first mark; the disc is painted out before the OCR reads (it read "@").
        QImage qr = one({600, 480}), digits = one({600, 480}), code = paper(1280, 960);
        qrCode(qr, QPoint(760, 380), QStringLiteral("1a"));
        qrCode(code, QPoint(760, 380), QStringLiteral("1a"));
        printed(digits, QPointF(680, 560), QStringLiteral("20240517")); // beside the disc: read as "@"
        row("QR code at mark 1", qr, {150, 120}, "1a");
        row("digits at mark 1", digits, {150, 120}, "20240517", {320, 3.5, 0.1, 0, 1, 2});
        row("a code, no mark: no code read", code, {});
        row("null", QImage(), {}, "|no mark: empty frame");
        row("tiny", paper(16, 16), {}, "|no mark: frame too small: 16 x 16");
        row("too wide", paper(9000, 40), {}, "|no mark: frame too large: 9000 x 40");
        row("camera width 0", one({640, 480}), {}, "|no mark: mark-camera size 0 x 240", {0, 3.5, 0.1, 0, 1, 1});
        row("mark size 0", one({640, 480}), {}, "|no mark: mark size 0 mm", {320, 0, 0.1, 0, 1, 1});
        row("mark size not a number", one({640, 480}), {}, "|no mark: mark size nan mm", {320, qQNaN(), 0.1, 0, 1, 1});
    }
    // The mark, its size and the code in pixels of the scaled frame, the film
    // record alike; or no mark and why in the log. Either way one scan counted.
    void scan()
    {
        QFETCH(QImage, frame);
        QFETCH(QPointF, expected);
        QFETCH(QString, text);
        QFETCH(QList<double>, params);
        MarkScanParams p;
        p.cameraWidth = int(params[0]);
        p.markSize = params[1];
        p.tolerance = params[2];
        p.markType = int(params[3]);
        p.markIndex = int(params[4]);
        p.codeReader = int(params[5]);
        p.readCode = true;
        const QString warning = text.section(QLatin1Char('|'), 1);
        text = text.section(QLatin1Char('|'), 0, 0);
        const int today = m_config->todayScanMark(), ok = m_config->todayScanMarkOk();
        if (!warning.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, qPrintable(QStringLiteral("MarkScanner::scan ") + warning));
        else if (expected.isNull())
            QTest::ignoreMessage(QtInfoMsg, "MarkScanner::scan no mark found");
        const MarkScanResult r = MarkScanner(&m_ocr).scan(frame, p, m_config.get());
        QVERIFY2(qAbs(r.point.x() - expected.x()) <= 1.5 && qAbs(r.point.y() - expected.y()) <= 1.5,
                 qPrintable(QStringLiteral("%1, %2").arg(r.point.x()).arg(r.point.y())));
        QVERIFY(QPointF(r.record.x, r.record.y) == r.point && r.record.diameter == r.diameter);
        QCOMPARE(r.record.text, text);
        QCOMPARE(r.taskCode, text.isEmpty() ? 0 : p.codeReader == 1 ? CodeReader::hexCode(text) : text.toInt());
        QCOMPARE(r.record.points.isEmpty(), text.isEmpty());
        for (const QPointF &outline : r.record.points)
            QVERIFY(QRectF(QPointF(0, 0), QSizeF(r.record.image.size())).contains(outline));
        QCOMPARE(m_config->todayScanMark(), today + 1);
        QCOMPARE(m_config->todayScanMarkOk(), ok + (r.found() ? 1 : 0));
        const double ratio = double(frame.width()) / qMax(1, r.record.image.width());
        QVERIFY(r.found() || r.diameter == 0.0f);
        QVERIFY2(!r.found() || !warning.isEmpty() || qAbs(r.diameter - 140 / ratio) <= qMax(2.0, 14 / ratio),
                 qPrintable(QString::number(r.diameter)));
    }

    // Any size, format and scribble: a mark or none, never a point outside the
    // scaled frame or a size below one pixel (the task steps divide by it).
    void randomFramesAreSafe()
    {
        QLoggingCategory::setFilterRules(kQuiet + QStringLiteral("\ndefault.info=false\ndefault.warning=false"));
        QRandomGenerator random(2024);
        for (int i = 0; i < 40; ++i) {
            const int width = random.bounded(32, 1400), height = random.bounded(32, 1100);
            QImage frame = i % 5 ? paper(width, height) : noise(width, height, quint32(i));
            for (int shapes = random.bounded(6); shapes > 0; --shapes) {
                const QPointF at(random.bounded(width), random.bounded(height));
                random.bounded(2) ? disc(frame, at, random.bounded(5, 300), QColor(random.bounded(0xffffff)))
                                  : square(frame, at, random.bounded(5, 300));
            }
            MarkScanParams p;
            p.markType = i % 2;
            p.markIndex = i % 6;
            p.readCode = true;
            p.codeReader = 1 + i % 2;
            const QImage::Format format = QImage::Format(QImage::Format_Mono + i % (QImage::Format_Grayscale16 - 1));
            const MarkScanResult r = MarkScanner(&m_ocr).scan(frame.convertToFormat(format), p, nullptr);
            const QRectF inside(QPointF(0, 0), QSizeF(r.record.image.size()));
            QVERIFY(r.found() ? r.diameter >= 1.0f && inside.contains(r.point) : r.diameter == 0.0f);
        }
        QLoggingCategory::setFilterRules(kQuiet);
    }

private:
    std::unique_ptr<Config> m_config;
    OcrLite m_ocr;
};

DRAVO_GUI_TEST_MAIN(TestMarkScanner)
#include "tst_markscanner.moc"
