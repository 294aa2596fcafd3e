#include "configuration/LocalFile.h"
#include "tests/support/TestMain.h"

class TestLocalFile : public QObject
{
    Q_OBJECT
private slots:
    void fromVariant_data()
    {
        QTest::addColumn<QVariant>("input");
        QTest::addColumn<QString>("path");
        QTest::newRow("file url") << QVariant(QUrl(QStringLiteral("file:///home/op/plt"))) << QStringLiteral("/home/op/plt");
        QTest::newRow("file url text") << QVariant(QStringLiteral("file:///home/op/plt")) << QStringLiteral("/home/op/plt");
        QTest::newRow("encoded hash and blank")
            << QVariant(QStringLiteral("file:///home/op/a%231%20b.pdf")) << QStringLiteral("/home/op/a#1 b.pdf");
        QTest::newRow("percent sign") << QVariant(QUrl::fromLocalFile(QStringLiteral("/tmp/50%.plt")))
                                      << QStringLiteral("/tmp/50%.plt");
        QTest::newRow("chinese") << QVariant(QUrl::fromLocalFile(QStringLiteral("/tmp/切割 文件")))
                                 << QStringLiteral("/tmp/切割 文件");
        QTest::newRow("plain path with hash") << QVariant(QStringLiteral("/tmp/a#1.pdf")) << QStringLiteral("/tmp/a#1.pdf");
        QTest::newRow("drive path") << QVariant(QStringLiteral("D:/plt")) << QStringLiteral("D:/plt");
        QTest::newRow("qrc") << QVariant(QStringLiteral("qrc://Dravolinte2024/Main.qml")) << QString();
        QTest::newRow("http") << QVariant(QUrl(QStringLiteral("http://127.0.0.1/x"))) << QString();
        QTest::newRow("empty") << QVariant(QString()) << QString();
    }
    void fromVariant()
    {
        QFETCH(QVariant, input);
        QFETCH(QString, path);
        QCOMPARE(LocalFile::pathFromVariant(input), path);
    }

    void roundTrip()
    {
        const QString path = QStringLiteral("/home/op/标签 #1 50%.plt");
        QCOMPARE(LocalFile::pathFromUrl(LocalFile::urlFromPath(path)), path);
        QVERIFY(LocalFile::urlFromPath(QString()).isEmpty());
    }
};

DRAVO_TEST_MAIN(TestLocalFile)
#include "tst_localfile.moc"
