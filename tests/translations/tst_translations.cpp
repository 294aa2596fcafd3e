#include "TestMain.h"

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
};

DRAVO_TEST_MAIN(TestTranslations)
#include "tst_translations.moc"
