#include "tests/platform/CodeReading.h"
#include "platform/graphics/variabledata/GZint.h"
#include "tests/support/TestMain.h"

#include <QApplication>

// The symbols read back, text beyond ASCII included, through the PDFs of
// tst_printfile; here what those do not show.
class TestGZint : public QObject
{
    Q_OBJECT
private slots:
    void modulesAreWholePixels()
    {
        GZint code;
        code.setText(QStringLiteral("A"));
        code.setQuietZone(0);
        QCOMPARE(code.image(1).width(), 21); // a version 1 QR code is 21 modules wide
        QCOMPARE(code.image(3).size(), code.image(1).size() * 3);
        QCOMPARE(CodeReading::decode(code.image(3)), QStringList{QStringLiteral("QR-Code:A")});
    }

    void refusesWhatCannotBeEncoded()
    {
        GZint ean(13), empty; // EAN-13 takes digits only
        ean.setText(QStringLiteral("not digits"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("GZint::image cannot encode"));
        QVERIFY(ean.image().isNull() && !ean.lastError().isEmpty());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("GZint::image cannot encode"));
        QVERIFY(empty.image().isNull());
    }
};

DRAVO_GUI_TEST_MAIN(TestGZint)
#include "tst_gzint.moc"
