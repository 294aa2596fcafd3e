#include "tests/support/TestMain.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTranslator>

// Every text the pages pass through the translator has its English entry in
// the translation the program installs.
class TestTranslations : public QObject
{
    Q_OBJECT
private slots:
    void everyPageTextTranslated()
    {
        QTranslator english;
        QVERIFY(english.load(QStringLiteral("Dravolinte_en_US.qm"),
                             qEnvironmentVariable("DRAVO_BIN_DIR") + QStringLiteral("/translations")));
        static const QRegularExpression qsTr(QStringLiteral("qsTr\\(\"((?:[^\"\\\\]|\\\\.)*)\"\\)"));
        QStringList missing;
        int texts = 0;
        QDirIterator it(QStringLiteral(DRAVO_QML_DIR), {QStringLiteral("*.qml")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString context = QFileInfo(file.fileName()).baseName();
            const QString text = QString::fromUtf8(file.readAll());
            for (auto m = qsTr.globalMatch(text); m.hasNext(); ++texts) {
                const QString source = m.next().captured(1);
                if (english.translate(context.toUtf8(), source.toUtf8()).isEmpty())
                    missing << context + QStringLiteral(": ") + source;
            }
        }
        QVERIFY(texts > 30);
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1Char('\n'))));
    }

    // The same for the texts the C++ parts mark or translate by context
    // (the machine's alarms, shown in the bar and the status frame, and the
    // application's refusals).
    void everyMarkedProgramTextTranslated()
    {
        QTranslator english;
        QVERIFY(english.load(QStringLiteral("Dravolinte_en_US.qm"),
                             qEnvironmentVariable("DRAVO_BIN_DIR") + QStringLiteral("/translations")));
        static const QRegularExpression marked(
            QStringLiteral("(?:QT_TRANSLATE_NOOP|QCoreApplication::translate)\\(\"(\\w+)\", \"((?:[^\"\\\\]|\\\\.)*)\"\\)"));
        QStringList missing;
        int texts = 0;
        for (const char *folder : {"app", "configuration", "device", "inspection", "views", "online"}) {
            QDirIterator it(QStringLiteral(DRAVO_SOURCE_DIR "/") + QLatin1String(folder),
                            {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                            QDirIterator::Subdirectories);
            while (it.hasNext()) {
                QFile file(it.next());
                QVERIFY(file.open(QIODevice::ReadOnly));
                const QString text = QString::fromUtf8(file.readAll());
                for (auto m = marked.globalMatch(text); m.hasNext(); ++texts) {
                    const auto match = m.next();
                    const QString source = match.captured(2).replace(QStringLiteral("\\n"), QStringLiteral("\n"));
                    if (english.translate(match.captured(1).toUtf8(), source.toUtf8()).isEmpty())
                        missing << match.captured(1) + QStringLiteral(": ") + match.captured(2);
                }
            }
        }
        QVERIFY(texts > 10);
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1Char('\n'))));
    }
};

DRAVO_TEST_MAIN(TestTranslations)
#include "tst_translations.moc"
