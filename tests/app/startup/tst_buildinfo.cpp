#include "tests/support/TestMain.h"
#include "app/startup/BuildInfo.h"

#include <QRegularExpression>

// The build date the home page shows: year, month and day without leading
// zeros, read from the compiler's form, which pads the day with a blank.
class TestBuildInfo : public QObject
{
    Q_OBJECT
private slots:
    void dateText_data()
    {
        QTest::addColumn<QByteArray>("compiler");
        QTest::addColumn<QString>("shown");
        QTest::newRow("padded day") << QByteArray("Jun  2 2025") << "2025-6-2";
        QTest::newRow("two digits") << QByteArray("Dec 31 2024") << "2024-12-31";
        QTest::newRow("january") << QByteArray("Jan 10 2026") << "2026-1-10";
        QTest::newRow("no month") << QByteArray("Foo 10 2026") << "";
        QTest::newRow("no date") << QByteArray("") << "";
        QTest::newRow("not a day") << QByteArray("Feb 30 2025") << "";
    }
    void dateText()
    {
        QFETCH(QByteArray, compiler);
        QFETCH(QString, shown);
        QCOMPARE(BuildInfo::dateText(compiler.constData()), shown);
    }
    void thisBuild() { QVERIFY(QRegularExpression("^20\\d\\d-[1-9]\\d?-[1-9]\\d?$").match(BuildInfo::date()).hasMatch()); }
};

DRAVO_TEST_MAIN(TestBuildInfo)
#include "tst_buildinfo.moc"
