#include "online/upgrades/FirmwareOutcome.h"
#include "tests/support/TestMain.h"

// What two checks of a module's firmware number tell, beside the dialog's and
// the program's own tests: an upgrade only on the same controller, and when
// the dialog sent the file, only with the version it sent. Rows: "controller
// number" before and now, what the dialog sent ("" for nothing), the verdict.
class TestFirmwareOutcome : public QObject
{
    Q_OBJECT
private slots:
    void verdicts_data()
    {
        for (const char *name : {"before", "now", "sent"})
            QTest::addColumn<QString>(name);
        QTest::addColumn<int>("verdict");
        QTest::newRow("the same, written otherwise") << "A V1.5.0" << "A 1.5.0" << "" << int(FirmwareOutcome::Unchanged);
        QTest::newRow("no number before") << "A " << "A V1.6.0" << "" << int(FirmwareOutcome::Unchanged);
        QTest::newRow("another controller") << "A V1.5.0" << "B V1.6.0" << "B V1.6.0" << int(FirmwareOutcome::OtherController);
        QTest::newRow("the dialog's version") << "A V1.5.0" << "A 1.6.0" << "A V1.6.0" << int(FirmwareOutcome::Upgraded);
        QTest::newRow("not the dialog's version") << "A V1.5.0" << "A V1.7.0" << "A V1.6.0" << int(FirmwareOutcome::NotWhatWasSent);
        QTest::newRow("sent to another controller") << "A V1.5.0" << "A V1.7.0" << "B V1.6.0" << int(FirmwareOutcome::Upgraded);
    }
    void verdicts()
    {
        QFETCH(QString, before);
        QFETCH(QString, now);
        QFETCH(QString, sent);
        QFETCH(int, verdict);
        const auto query = [](const QString &at) {
            FirmwareQuery q;
            q.machineCode = at.section(' ', 0, 0);
            q.firmNo = at.section(' ', 1);
            q.firmModule = 2;
            return q;
        };
        FirmwareOutcome outcome;
        if (!sent.isEmpty())
            outcome.sent(2, query(sent).machineCode, query(sent).firmNo);
        QCOMPARE(int(outcome.judge(query(before), query(now))), verdict);
    }
};

DRAVO_TEST_MAIN(TestFirmwareOutcome)
#include "tst_firmwareoutcome.moc"
