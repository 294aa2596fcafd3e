#include "PixelConversion.h"
#include "tests/support/cameras/PixelEncoding.h"
#include "tests/support/TestMain.h"

#include <opencv2/core.hpp>

// Camera frames of every format of the table back to RGB: the colours stay
// in their places, grey stays grey, and nothing else passes for a frame.
class TestPixelConversion : public QObject
{
    Q_OBJECT

    const QList<QColor> m_colours{QColor(200, 30, 40), QColor(30, 180, 60), QColor(20, 40, 220), QColor(250, 240, 10)};

private slots:
    void everyFormat_data()
    {
        QTest::addColumn<quint32>("code");
        QTest::addColumn<int>("tolerance");
        const struct
        {
            const char *name;
            quint32 first;
            int count;
            int tolerance;
        } groups[] = {
            {"Bayer8", 0x01080008, 4, 0},      {"BayerRBGG8", 0x01080046, 1, 0}, {"Bayer10", 0x0110000C, 4, 0},
            {"Bayer12", 0x01100010, 4, 0},     {"Bayer10p", 0x010C0026, 4, 0},   {"Bayer12p", 0x010C002A, 4, 0},
            {"Bayer16", 0x0110002E, 4, 0},     {"RGB8", 0x02180014, 1, 0},       {"BGR8", 0x02180015, 1, 0},
            {"UYVY", 0x0210001F, 1, 3},        {"YUYV", 0x02100032, 1, 3},       {"Mono8", 0x01080001, 1, 0},
            {"Mono10", 0x01100003, 1, 0},      {"Mono10p", 0x010C0004, 1, 0},    {"Mono12", 0x01100005, 1, 0},
            {"Mono12p", 0x010C0006, 1, 0},     {"Mono14", 0x01100025, 1, 0},     {"Mono16", 0x01100007, 1, 0},
        };
        for (const auto &g : groups)
            for (int i = 0; i < g.count; ++i)
                QTest::addRow("%s-%x", g.name, g.first + i) << quint32(g.first + i) << g.tolerance;
    }
    // Each quarter's middle comes back in its colour (grey for mono formats),
    // whatever order the mosaic or the bytes have.
    void everyFormat()
    {
        QFETCH(quint32, code);
        QFETCH(int, tolerance);
        const int w = 32, h = 24;
        const QByteArray frame = PixelEncoding::encode(PixelEncoding::quarters(w, h, m_colours), code);
        QCOMPARE(std::size_t(frame.size()), PixelConversion::frameBytes(code, w, h));
        QString why;
        const cv::Mat rgb = PixelConversion::toRgb(frame.constData(), std::size_t(frame.size()), w, h, code, &why);
        QVERIFY2(!rgb.empty(), qPrintable(why));
        QCOMPARE(rgb.type(), CV_8UC3);
        QCOMPARE(rgb.cols, w);
        QCOMPARE(rgb.rows, h);
        const bool mono = PixelEncoding::specOf(code).kind == PixelEncoding::Kind::Mono;
        QCOMPARE(PixelConversion::targetOf(code),
                 mono ? PixelConversion::Target::Mono8 : PixelConversion::Target::Rgb8);
        for (int q = 0; q < 4; ++q) {
            const int x = (q % 2) * w / 2 + w / 4, y = (q / 2) * h / 2 + h / 4;
            const QColor c = m_colours[q];
            const int grey = qGray(c.rgb());
            const int want[3] = {mono ? grey : c.red(), mono ? grey : c.green(), mono ? grey : c.blue()};
            const cv::Vec3b got = rgb.at<cv::Vec3b>(y, x);
            for (int ch = 0; ch < 3; ++ch)
                QVERIFY2(qAbs(int(got[ch]) - want[ch]) <= tolerance,
                         qPrintable(QStringLiteral("quarter %1 channel %2: %3, not %4").arg(q).arg(ch).arg(got[ch]).arg(want[ch])));
        }
        // The matrix is the caller's own: the buffer may go back to the camera.
        QVERIFY(rgb.isContinuous() && rgb.u != nullptr);
    }

    void refused_data()
    {
        QTest::addColumn<quint32>("code");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("missing"); // bytes short of the frame
        QTest::addColumn<QString>("why");
        QTest::newRow("format outside the table") << 0x02180020u << 8 << 8 << 0 << "not handled";
        QTest::newRow("short by one byte") << 0x01080009u << 8 << 8 << 1 << "short buffer";
        QTest::newRow("short packed") << 0x010C0027u << 7 << 3 << 1 << "short buffer";
        QTest::newRow("no pixels") << 0x01080001u << 0 << 8 << 0 << "no frame";
        QTest::newRow("odd YUV width") << 0x0210001Fu << 7 << 4 << 0 << "odd width";
        QTest::newRow("Bayer of one row") << 0x01080009u << 8 << 1 << 0 << "smaller than a cell";
    }
    // Nothing that is not a whole frame of a known format comes out as one.
    void refused()
    {
        QFETCH(quint32, code);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, missing);
        QFETCH(QString, why);
        const QByteArray frame(qMax<qsizetype>(0, qsizetype(PixelConversion::frameBytes(code, width, height)) - missing), '\x40');
        QString error;
        QVERIFY(PixelConversion::toRgb(frame.isEmpty() ? "" : frame.constData(), std::size_t(frame.size()), width, height,
                                       code, &error)
                    .empty());
        QVERIFY2(error.contains(why), qPrintable(error));
    }

    // Odd sizes: the packed formats' last lone pixel and a mosaic cut in half.
    void oddSizes()
    {
        for (const quint32 code : {0x010C0004u, 0x010C002Bu, 0x01080046u}) {
            const QImage picture = PixelEncoding::quarters(9, 7, m_colours);
            const QByteArray frame = PixelEncoding::encode(picture, code);
            const cv::Mat rgb = PixelConversion::toRgb(frame.constData(), std::size_t(frame.size()), 9, 7, code);
            QVERIFY(!rgb.empty() && rgb.cols == 9 && rgb.rows == 7);
        }
    }
};

DRAVO_TEST_MAIN(TestPixelConversion)
#include "tst_pixelconversion.moc"
