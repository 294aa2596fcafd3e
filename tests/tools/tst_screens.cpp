#include "tests/support/TestMain.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QSet>

// The screens tool writes a picture of every scene, in both languages and
// sizes, each with something on it, and meets no warning of the pages.
class TestScreens : public QObject
{
    Q_OBJECT
private slots:
    void everySceneInBothLanguages()
    {
        const QString tool = qEnvironmentVariable("DRAVO_BIN_DIR") + QStringLiteral("/dravo_screens");
        QProcess list;
        list.start(tool, {QStringLiteral("--list")});
        QVERIFY(list.waitForFinished(60000));
        const QStringList scenes = QString::fromUtf8(list.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        QVERIFY(scenes.size() >= 10);

        QList<QProcess *> runs;
        for (const QString &lang : {QStringLiteral("zh"), QStringLiteral("en")}) {
            auto *run = new QProcess(this);
            run->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            run->setStandardOutputFile(QProcess::nullDevice());
            run->start(tool, {QStringLiteral("out"), QStringLiteral("--lang"), lang});
            runs << run;
        }
        for (QProcess *run : runs) {
            QVERIFY(run->waitForFinished(240000));
            QCOMPARE(run->exitStatus(), QProcess::NormalExit);
            QCOMPARE(run->exitCode(), 0);
        }
        for (const QString &lang : {QStringLiteral("zh"), QStringLiteral("en")}) {
            for (const QString &size : {QStringLiteral("1280x800"), QStringLiteral("1920x1080")}) {
                for (int i = 0; i < scenes.size(); ++i) {
                    const QString file = QStringLiteral("out/%1-%2-%3-%4.png")
                                             .arg(i + 1, 2, 10, QLatin1Char('0'))
                                             .arg(scenes.at(i), lang, size);
                    const QImage image(file);
                    QVERIFY2(!image.isNull(), qPrintable(file));
                    QCOMPARE(QStringLiteral("%1x%2").arg(image.width()).arg(image.height()), size);
                    QSet<QRgb> colours;
                    for (int y = 0; y < image.height(); y += 7)
                        for (int x = 0; x < image.width(); x += 7)
                            colours.insert(image.pixel(x, y));
                    QVERIFY2(colours.size() > 8, qPrintable(file + QStringLiteral(" is blank")));
                }
            }
        }
    }
};

DRAVO_TEST_MAIN(TestScreens)
#include "tst_screens.moc"
