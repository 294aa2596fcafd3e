#include "views/cameras/ShotFiles.h"
#include "tests/support/TestMain.h"

#include <QDir>
#include <QFile>

// Snapshot names: a second shot within the same second does not overwrite
// the first; no name where nothing can be written.
class TestShotFiles : public QObject
{
    Q_OBJECT
private slots:
    void freeNames_data()
    {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("expected");
        const QString stamp = QStringLiteral("2024-05-01-14-03-27");
        QTest::newRow("empty folder") << QStringList() << stamp;
        QTest::newRow("a picture of that second") << QStringList{stamp + ".jpg"} << stamp + "-2";
        QTest::newRow("a picture and a video") << QStringList{stamp + ".jpg", stamp + "-2.mkv"} << stamp + "-3";
        QTest::newRow("another second") << QStringList{"2024-05-01-14-03-26.jpg"} << stamp;
        QTest::newRow("a folder of that name") << QStringList{stamp + "/"} << stamp + "-2";
    }
    void freeNames()
    {
        QFETCH(QStringList, present);
        QFETCH(QString, expected);
        QDir here;
        here.mkpath(QStringLiteral("shots"));
        QDir shots(QStringLiteral("shots"));
        shots.removeRecursively();
        here.mkpath(QStringLiteral("shots"));
        for (const QString &name : present) {
            if (name.endsWith('/')) {
                shots.mkpath(name.chopped(1));
                continue;
            }
            QFile file(shots.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QCOMPARE(ShotFiles().freeName(shots.path(), QStringLiteral("2024-05-01-14-03-27")),
                 shots.absoluteFilePath(expected));
    }
    void nowhereToWrite()
    {
        QFile file(QStringLiteral("plain"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(ShotFiles::freeNameIn(QStringLiteral("plain"), QStringLiteral("s")), QString());
        QCOMPARE(ShotFiles::freeNameIn(QStringLiteral("missing/folder"), QStringLiteral("s")), QString());
        QCOMPARE(ShotFiles::freeNameIn(QString(), QStringLiteral("s")), QString());
    }
};

DRAVO_TEST_MAIN(TestShotFiles)
#include "tst_shotfiles.moc"
