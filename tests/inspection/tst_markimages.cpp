#include "MarkFrames.h"
#include "MarkImages.h"
#include "TestMain.h"

#include <QApplication>
#include <QDir>
#include <QRegularExpression>

using namespace MarkFrames;

class TestMarkImages : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { m_base = QDir::currentPath(); }
    void markedImageDrawsAndSaves_data();
    void markedImageDrawsAndSaves();
    void markedImageWithoutImage();
    void saveFrame();

private:
    QString m_base;
};

void TestMarkImages::markedImageDrawsAndSaves_data()
{
    QTest::addColumn<int>("format");
    QTest::newRow("rgb32") << int(QImage::Format_RGB32);
    QTest::newRow("grey: turned to colour for the red circle") << int(QImage::Format_Grayscale8);
    QTest::newRow("indexed") << int(QImage::Format_Indexed8);
}

void TestMarkImages::markedImageDrawsAndSaves()
{
    QFETCH(int, format);
    // Names carry the second only: a folder per row.
    const QString folder = m_base + QLatin1Char('/') + QString::fromLatin1(QTest::currentDataTag()).left(5);
    QVERIFY(QDir().mkpath(folder));
    QDir::setCurrent(folder);
    QImage image = paper(320, 240).convertToFormat(QImage::Format(format));
    // A 35-pixel mark at (100, 80) of a quarter-size record, drawn at full size.
    const QString name = MarkImages::markedImage(image, 100, 80, 35, 1.0);
    QVERIFY(name.startsWith(QStringLiteral("markedImage")) && name.endsWith(QStringLiteral(".jpg")));
    QVERIFY(QRegularExpression(QStringLiteral("^markedImage\\d{4}-\\d\\d-\\d\\d-\\d\\d-\\d\\d-\\d\\d\\.jpg$")).match(name).hasMatch());
    QVERIFY(QFile::exists(name));
    const QRgb edge = image.pixel(100 + 17, 80); // on the circle's right edge
    QVERIFY2(qRed(edge) > 200 && qGreen(edge) < 80, qPrintable(QString::number(edge, 16)));
    QCOMPARE(image.pixel(100, 80), qRgb(255, 255, 255)); // the inside is left alone
    bool text = false; // "Pos:(100, 80) d:35" in the top-left corner
    for (int y = 2; y < 16 && !text; ++y)
        for (int x = 2; x < 60 && !text; ++x)
            text = qRed(image.pixel(x, y)) > 150 && qGreen(image.pixel(x, y)) < 100;
    QVERIFY(text);
    QCOMPARE(QImage(name).size(), QSize(320, 240));
}

void TestMarkImages::markedImageWithoutImage()
{
    QImage none;
    QTest::ignoreMessage(QtWarningMsg, "MarkImages::markedImage no image to mark");
    QVERIFY(MarkImages::markedImage(none, 1, 1, 10, 1.0).isEmpty());
}

void TestMarkImages::saveFrame()
{
    QDir::setCurrent(m_base);
    QImage frame = markFrame({QPointF(640, 480)});
    QVERIFY(MarkImages::saveFrame(frame, QStringLiteral("frame")));
    const QImage back(QStringLiteral("frame.jpg"));
    QCOMPARE(back.size(), frame.size());
    QCOMPARE(qGray(back.pixel(640, 480)) < 30, true); // quality 100 keeps the mark black
    QTest::ignoreMessage(QtWarningMsg, "MarkImages::saveFrame no frame to save");
    QVERIFY(!MarkImages::saveFrame(QImage(), QStringLiteral("none")));
    QVERIFY(!QFile::exists(QStringLiteral("none.jpg")));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^MarkImages::saveFrame cannot save .*missing/frame\\.jpg$")));
    QVERIFY(!MarkImages::saveFrame(frame, QStringLiteral("missing/frame")));
}

DRAVO_GUI_TEST_MAIN(TestMarkImages)
#include "tst_markimages.moc"
