#include "inspection/cameras/CheckCameraFormat.h"
#include "tests/support/TestMain.h"

Q_DECLARE_METATYPE(CheckCameraFormat::Offer)

// The check camera's format: the last full-size one at a usable rate, or none.
class TestCheckCameraFormat : public QObject
{
    Q_OBJECT
    using Offers = QList<CheckCameraFormat::Offer>;
private slots:
    void choose_data()
    {
        QTest::addColumn<Offers>("offers");
        QTest::addColumn<int>("chosen");
        const QSize wide(3840, 3040), tall(3040, 3840), uhd(3840, 2160);
        QTest::newRow("rates 5 and 10: the second") << Offers{{wide, 5}, {wide, 10}} << 1;
        QTest::newRow("rates 10 and 15: the last") << Offers{{wide, 10}, {tall, 15}} << 1;
        QTest::newRow("the last candidate, not the last format") << Offers{{tall, 8}, {wide, 30}, {uhd, 30}} << 1;
        QTest::newRow("only 3840 x 2160: none") << Offers{{uhd, 30}, {uhd, 60}} << -1;
        QTest::newRow("rates beyond range") << Offers{{wide, 7.99f}, {wide, 3e9f}} << -1;
        QTest::newRow("no formats") << Offers{} << -1;
    }
    void choose()
    {
        QFETCH(Offers, offers);
        QTEST(CheckCameraFormat::choose(offers), "chosen");
    }
    // Without a camera, or a camera without formats, nothing changes.
    void applyWithoutDevice() { CheckCameraFormat::apply(nullptr); }
};

DRAVO_TEST_MAIN(TestCheckCameraFormat)
#include "tst_checkcameraformat.moc"
