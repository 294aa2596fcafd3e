#include "tests/inspection/marks/MarkFrames.h"
#include "inspection/marks/MarkImages.h"
#include "tests/support/TestMain.h"

#include <QApplication>
#include <QFile>

using namespace MarkFrames;

class TestMarkImages : public QObject
{
    Q_OBJECT
private slots:
    // A grey record is turned to colour for the red circle, which is drawn and saved.
    void markedImage()
    {
        QImage image = paper(320, 240, QImage::Format_Grayscale8), none;
        const QString name = MarkImages::markedImage(image, 100, 80, 35, 1.0);
        QCOMPARE(QImage(name).size(), QSize(320, 240));
        const QRgb edge = image.pixel(100 + 17, 80);
        QVERIFY2(qRed(edge) > 200 && qGreen(edge) < 80, qPrintable(QString::number(edge, 16)));
        QTest::ignoreMessage(QtWarningMsg, "MarkImages::markedImage no image to mark");
        QVERIFY(MarkImages::markedImage(none, 1, 1, 10, 1.0).isEmpty());
    }

    // A frame is kept whole; none, or an unwritable place, is refused with a log line.
    void saveFrame()
    {
        QVERIFY(MarkImages::saveFrame(markFrame({QPointF(640, 480)}), QStringLiteral("frame")));
        QCOMPARE(QImage(QStringLiteral("frame.jpg")).size(), QSize(1280, 960));
        QTest::ignoreMessage(QtWarningMsg, "MarkImages::saveFrame no frame to save");
        QVERIFY(!MarkImages::saveFrame(QImage(), QStringLiteral("none")) && !QFile::exists(QStringLiteral("none.jpg")));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^MarkImages::saveFrame cannot save ")));
        QVERIFY(!MarkImages::saveFrame(markFrame({}), QStringLiteral("missing/frame")));
    }
};

DRAVO_GUI_TEST_MAIN(TestMarkImages)
#include "tst_markimages.moc"
