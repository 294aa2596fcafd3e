#include "platform/graphics/scenefiles/SceneReader.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestMain.h"

#include <QImage>
#include <QProcess>

namespace {

int run(const QStringList &arguments)
{
    QProcess process;
    process.start(qEnvironmentVariable("DRAVO_BIN_DIR") + "/tqcwriter", arguments);
    const bool ended = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit;
    return ended ? process.exitCode() : -1;
}

} // namespace

class TestTqcWriter : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // Two labels, the second listed first and far along the web, each with a hole.
        QVERIFY(writeFile("cut.plt", "IN;PS12000,8000,200,400,1,120;MD1,120,11200,7600,0;SP1;"
                                     "PU6000,100;PD7000,100,7000,900,6000,900,6000,100;"
                                     "PU6400,400;PD6500,400,6500,500,6400,500,6400,400;"
                                     "PU100,100;PD1100,100,1100,900,100,900,100,100;"
                                     "PU400,400;PD500,400,500,500,400,500,400,400;"));
        QImage page(200, 300, QImage::Format_RGB32);
        page.fill(Qt::yellow);
        QVERIFY(page.save("page.png"));
        QVERIFY(writeFile("fields.json", R"([{"kind": "qr", "column": "Code", "rect": [60, 5, 20, 20]},
                                             {"kind": "text", "text": "批次", "rect": [5, 5, 40, 8], "font": 12}])"));
        QVERIFY(writeFile("broken.json", R"([{"kind": "qr", "rect": "nowhere"}])"));
    }

    void writesAScene()
    {
        QCOMPARE(run({"cut.plt", "--image", "page.png", "--fields", "fields.json", "--sort", "-o", "page.tqc"}), 0);
        SceneData scene;
        QVERIFY(SceneReader::readFile("page.tqc", scene));
        QVERIFY(scene.problems.isEmpty());
        QCOMPARE(scene.paths.size(), 4);
        QVERIFY(scene.explicitOrder);
        // Sorted: from the origin, each hole before its outline.
        QVERIFY(scene.paths[0].path.controlPointRect().width() < scene.paths[1].path.controlPointRect().width());
        QVERIFY(scene.paths[0].path.controlPointRect().left() < scene.paths[2].path.controlPointRect().left());
        QCOMPARE(scene.background.pixelColor(10, 10), QColor(Qt::yellow));
        QCOMPARE(scene.fields.size(), 2);
        QCOMPARE(scene.fields[1].text, QStringLiteral("批次"));
    }

    void refusesBadInput_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");
        QTest::newRow("missing cut file") << QStringList{"none.plt", "-o", "x.tqc"} << 2;
        QTest::newRow("image not readable") << QStringList{"cut.plt", "--image", "cut.plt", "-o", "x.tqc"} << 2;
        QTest::newRow("fields not usable") << QStringList{"cut.plt", "--fields", "broken.json", "-o", "x.tqc"} << 2;
        QTest::newRow("output not writable") << QStringList{"cut.plt", "-o", "no/such/folder/x.tqc"} << 3;
    }
    void refusesBadInput()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        QCOMPARE(run(arguments), code);
        QVERIFY(!QFile::exists("x.tqc"));
    }
};

DRAVO_TEST_MAIN(TestTqcWriter)
#include "tst_tqcwriter.moc"
