#include "tests/support/TestFiles.h"
#include "tests/support/TestMain.h"
#include "app/upgrades/LanguageSwitch.h"

#include <QCoreApplication>

// The pages' English from the file the build makes beside the program, put on
// and taken off; a folder without it leaves the source language.
class TestLanguageSwitch : public QObject
{
    Q_OBJECT
    static QString text() { return QCoreApplication::translate("DravolinteApp", "请等待升级结束"); }

private slots:
    void onAndOff()
    {
        const QString built = qEnvironmentVariable("DRAVO_BIN_DIR") + QStringLiteral("/translations");
        QVERIFY2(QFileInfo::exists(built + QLatin1Char('/') + QLatin1String(LanguageSwitch::kFile)), qPrintable(built));
        LanguageSwitch language(built);
        language.setLanguage(1);
        language.setLanguage(2); // once on is on
        QVERIFY(language.isInstalled());
        QCOMPARE(text(), QStringLiteral("Please wait until the upgrade has finished"));
        QCOMPARE(QCoreApplication::translate("UpgradeHandover", "升级工具无法启动：%1"),
                 QStringLiteral("The upgrade tool cannot be started: %1"));
        language.setLanguage(0);
        QVERIFY(!language.isInstalled());
        QCOMPARE(text(), QStringLiteral("请等待升级结束"));
        language.setLanguage(0);
        QCOMPARE(text(), QStringLiteral("请等待升级结束"));
    }

    void missingOrBrokenFile()
    {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("DravolinteApp::setLanguage no translation"));
        LanguageSwitch missing(QDir::current().absoluteFilePath(QStringLiteral("translations")));
        missing.setLanguage(1);
        QVERIFY(!missing.isInstalled());
        QCOMPARE(text(), QStringLiteral("请等待升级结束"));

        // Put in place afterwards (not a translation at all, then a real one): read again each time.
        QVERIFY(writeFile(QStringLiteral("translations/") + QLatin1String(LanguageSwitch::kFile), "not a qm file"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("DravolinteApp::setLanguage no translation"));
        missing.setLanguage(1);
        QVERIFY(!missing.isInstalled());
        const QString built = qEnvironmentVariable("DRAVO_BIN_DIR") + QStringLiteral("/translations/") + QLatin1String(LanguageSwitch::kFile);
        QVERIFY(QFile::remove(QStringLiteral("translations/") + QLatin1String(LanguageSwitch::kFile)));
        QVERIFY(QFile::copy(built, QStringLiteral("translations/") + QLatin1String(LanguageSwitch::kFile)));
        missing.setLanguage(1);
        QVERIFY(missing.isInstalled());
        QCOMPARE(text(), QStringLiteral("Please wait until the upgrade has finished"));
    }
};

DRAVO_TEST_MAIN(TestLanguageSwitch)
#include "tst_languageswitch.moc"
