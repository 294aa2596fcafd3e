#include "inspection/labelcheck/CheckImages.h"
#include "tests/support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>

// Saved check images: once per check, the template once per template, two
// checks in one second both kept, failures logged with the path still given.
class TestCheckImages : public QObject
{
    Q_OBJECT

    static QImage filled(QColor colour)
    {
        QImage image(40, 30, QImage::Format_BGR888);
        image.fill(colour);
        return image;
    }
    static QStringList saved() { return QDir("image/2024-05-06").entryList(QDir::Files, QDir::Name); }

private slots:
    void namesAndOnce()
    {
        CheckImages images(QDir::currentPath());
        const QDateTime at(QDate(2024, 5, 6), QTime(7, 8, 9));
        QCOMPARE(images.save(false, at), QStringLiteral("disable save check image"));
        QVERIFY(!QDir("image").exists());

        images.setTemplate(filled(Qt::blue));
        images.startCheck(filled(Qt::red));
        const QString first = images.save(true, at);
        QCOMPARE(first, QDir::currentPath() + "/image/2024-05-06/2024-05-06-07-08-09.jpg");
        QCOMPARE(images.save(true, at), first); // a second failure of the same check
        QCOMPARE(saved(), (QStringList{"2024-05-06-07-08-09.jpg", "2024-05-06-07-08-09bk.jpg"}));
        // The template in its own colours: blue stays blue.
        const QImage copy(images.templatePath());
        QVERIFY(qBlue(copy.pixel(5, 5)) > 200 && qRed(copy.pixel(5, 5)) < 60);

        images.startCheck(filled(Qt::green)); // the same second, the same template
        images.startCheck(filled(Qt::green));
        QCOMPARE(images.save(true, at), QDir::currentPath() + "/image/2024-05-06/2024-05-06-07-08-09-1.jpg");
        images.setTemplate(filled(Qt::yellow));
        images.startCheck(filled(Qt::gray));
        images.save(true, at);
        QCOMPARE(saved(), (QStringList{"2024-05-06-07-08-09-1.jpg", "2024-05-06-07-08-09-2.jpg",
                                       "2024-05-06-07-08-09-2bk.jpg", "2024-05-06-07-08-09.jpg",
                                       "2024-05-06-07-08-09bk.jpg"}));
    }

    // An image folder that cannot be made: logged, the path still returned, the template tried again later.
    void unwritableFolder()
    {
        QDir().mkpath("blocked");
        QFile file("blocked/image");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        CheckImages images(QDir::current().absoluteFilePath("blocked"));
        images.setTemplate(filled(Qt::blue));
        images.startCheck(filled(Qt::red));
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("cannot make the folder .*blocked/image/"));
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("cannot save the check image .*\\.jpg"));
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("cannot save the template .*bk\\.jpg"));
        QVERIFY(images.save(true).endsWith(".jpg"));
        QVERIFY(images.templatePath().isEmpty());
        images.startCheck(QImage());
        QVERIFY(QFile::remove("blocked/image"));
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("cannot save the check image .*\\(no image\\)"));
        images.save(true);
        QVERIFY(QFile::exists(images.templatePath()));
    }

    void checkedImageMarks()
    {
        QImage image = filled(Qt::white).convertToFormat(QImage::Format_RGB32);
        CheckImages::checkedImage(image, QPolygonF({{200, 200}, {600, 200}, {600, 500}, {200, 500}}), 7);
        // The outline, scaled by 0.05: its right side at x 30, white inside.
        const QColor side = image.pixel(30, 20);
        QVERIFY2(side.red() > 200 && side.green() < 150, qPrintable(side.name()));
        QCOMPARE(QColor(image.pixel(25, 20)), QColor(Qt::white));
        QImage none;
        CheckImages::checkedImage(none, QPolygonF(), 1);
    }
};

DRAVO_GUI_TEST_MAIN(TestCheckImages)
#include "tst_checkimages.moc"
