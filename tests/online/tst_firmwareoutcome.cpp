#include "FirmwareOutcome.h"
#include "TestMain.h"

// What two checks of a module's firmware number tell: an upgrade only on the
// same controller, from whichever page, and when the dialog sent the file,
// only with the version it sent.
class TestFirmwareOutcome : public QObject
{
    Q_OBJECT
private slots:
    void verdicts_data();
    void verdicts();
};

void TestFirmwareOutcome::verdicts_data()
{
    QTest::addColumn<QStringList>("before"); // controller, number
    QTest::addColumn<QStringList>("now");
    QTest::addColumn<QStringList>("sent"); // controller, number; empty: the dialog sent nothing
    QTest::addColumn<int>("verdict");
    const QStringList none;
    QTest::newRow("a file from the firmware page") << QStringList{"A", "V1.5.0"} << QStringList{"A", "V1.6.0"} << none
                                                   << int(FirmwareOutcome::Upgraded);
    QTest::newRow("the same number") << QStringList{"A", "V1.5.0"} << QStringList{"A", "V1.5.0"} << none
                                     << int(FirmwareOutcome::Unchanged);
    QTest::newRow("the same number written otherwise") << QStringList{"A", "V1.5.0"} << QStringList{"A", " 1.5.0"} << none
                                                       << int(FirmwareOutcome::Unchanged);
    QTest::newRow("no number before") << QStringList{"A", ""} << QStringList{"A", "V1.6.0"} << none
                                      << int(FirmwareOutcome::Unchanged);
    QTest::newRow("another controller") << QStringList{"A", "V1.5.0"} << QStringList{"B", "V1.6.0"} << none
                                        << int(FirmwareOutcome::OtherController);
    QTest::newRow("another controller, the version sent") << QStringList{"A", "V1.5.0"} << QStringList{"B", "V1.6.0"}
                                                          << QStringList{"B", "V1.6.0"} << int(FirmwareOutcome::OtherController);
    QTest::newRow("the dialog's version") << QStringList{"A", "V1.5.0"} << QStringList{"A", "1.6.0 "}
                                          << QStringList{"A", "V1.6.0"} << int(FirmwareOutcome::Upgraded);
    QTest::newRow("not the dialog's version") << QStringList{"A", "V1.5.0"} << QStringList{"A", "V1.7.0"}
                                              << QStringList{"A", "V1.6.0"} << int(FirmwareOutcome::NotWhatWasSent);
    QTest::newRow("the dialog sent to another controller") << QStringList{"A", "V1.5.0"} << QStringList{"A", "V1.7.0"}
                                                           << QStringList{"B", "V1.6.0"} << int(FirmwareOutcome::Upgraded);
    QTest::newRow("sent, not taken yet") << QStringList{"A", "V1.5.0"} << QStringList{"A", "V1.5.0"}
                                         << QStringList{"A", "V1.6.0"} << int(FirmwareOutcome::Unchanged);
}

void TestFirmwareOutcome::verdicts()
{
    QFETCH(QStringList, before);
    QFETCH(QStringList, now);
    QFETCH(QStringList, sent);
    QFETCH(int, verdict);
    const auto query = [](const QStringList &at) {
        FirmwareQuery q;
        q.machineCode = at.at(0);
        q.firmNo = at.at(1);
        q.firmModule = 2;
        return q;
    };
    FirmwareOutcome outcome;
    if (!sent.isEmpty())
        outcome.sent(2, sent.at(0), sent.at(1));
    QCOMPARE(int(outcome.judge(query(before), query(now))), verdict);
    // A file sent is judged once, when the number changes: the next change is the board's own story.
    if (verdict == FirmwareOutcome::NotWhatWasSent) {
        FirmwareQuery later = query(now);
        later.firmNo = sent.at(1);
        QCOMPARE(outcome.judge(query(now), later), FirmwareOutcome::Upgraded);
    }
}

DRAVO_TEST_MAIN(TestFirmwareOutcome)
#include "tst_firmwareoutcome.moc"
