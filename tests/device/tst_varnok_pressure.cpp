// The pressure test against the simulated controller: the figure's HPGL,
// where it lands, and the cycle of its positions.
#include "DriverFixture.h"
#include "TestMain.h"

#include <QRegularExpression>

namespace {

// The figure moved by (dx, dy) units, the knife parked at the end.
QByteArray figure(int dx, int dy, const QString &end)
{
    auto points = [&](const QList<QPoint> &list) {
        QStringList out;
        for (const QPoint &p : list)
            out << QStringLiteral("%1,%2").arg(p.x() + dx).arg(p.y() + dy);
        return out;
    };
    const QStringList inner = points({{617, 400}, {617, 137}, {400, 269}, {183, 400}, {400, 531}, {617, 663}, {617, 400}});
    const QStringList outer = points({{800, 400}, {800, 0}, {0, 0}, {0, 800}, {800, 800}, {800, 400}});
    return QStringLiteral("IN;PA;SP2;PU%1;PD%2;PU0,0;!PG;SP2;PU%3;PD%4;PU0,0;!PG;PU%5;!PG;")
        .arg(inner.first(), inner.mid(1).join(','), outer.first(), outer.mid(1).join(','), end)
        .toLatin1();
}

} // namespace

class TestVarnokPressure : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DriverFixture> m_f;

    // Starts the test and returns the figure that went to the controller.
    QByteArray cutFigure()
    {
        DriverFixture &f = *m_f;
        const int from = int(f.sim.received().size());
        f.driver->testPressure();
        if (!QTest::qWaitFor([&] { return f.driver->isWorkIdle(); }, 5000))
            return QByteArray();
        return packages(f.sim.received().mid(from)).value(0);
    }

private slots:
    void initTestCase()
    {
        m_f = std::make_unique<DriverFixture>();
        QVERIFY(m_f->link(QString(), {"--job-ms", "20"}));
    }

    void cleanupTestCase() { m_f.reset(); }

    void cycle()
    {
        DriverFixture &f = *m_f;
        f.config->setKnifeNo(0);
        f.config->setMarkCameraOffsetX(0, 0.0);
        f.config->setMarkCameraOffsetY(0, 0.0);
        f.driver->setOrigin();
        QCOMPARE(f.driver->testPressureStep(), 0);

        // The first figure beside the camera, the knife parked 100 mm on.
        QVERIFY(f.driver->rDevicePoint(0));
        const qint64 y = qint64(f.driver->devicePoint(0).y());
        const int cutsBefore = int(f.sim.transcript().filter(QRegularExpression("^CUT ")).size());
        QCOMPARE(cutFigure(), figure(0, 0, "4000,1200"));
        QCOMPARE(f.driver->testPressureStep(), 2);
        // Eleven strokes where the knife stood; the knife ends 1200 across.
        const QStringList lines = f.sim.transcript();
        const qint64 web = lines.filter(QRegularExpression("^JOB START")).last().section(' ', -1).toLongLong();
        const QStringList cuts = lines.filter(QRegularExpression("^CUT ")).mid(cutsBefore);
        QCOMPARE(cuts.size(), 11);
        QCOMPARE(cuts.first(), QStringLiteral("CUT 0 %1,%2 %1,%3").arg(web + 617).arg(y + 400).arg(y + 137));
        QCOMPARE(cuts.last(), QStringLiteral("CUT 0 %1,%2 %1,%3").arg(web + 800).arg(y + 800).arg(y + 400));
        QVERIFY(f.driver->rDevicePoint(0));
        QCOMPARE(f.driver->devicePoint(0).y(), double(y + 1200));

        // The next ones 100 mm further back each time, the fifth parked aside.
        const QList<int> steps{3, 4, 5, 1, 2};
        const QStringList ends{"0,1200", "0,1200", "0,1200", "1200,-4800", "0,1200"};
        for (int i = 0; i < steps.size(); ++i) {
            QCOMPARE(cutFigure(), figure(-4000, 0, ends.at(i)));
            QCOMPARE(f.driver->testPressureStep(), steps.at(i));
        }

        // Setting the origin starts again from the first position.
        f.driver->setOrigin();
        QCOMPARE(f.driver->testPressureStep(), 0);
        QVERIFY(f.driver->wMoveY(0));
        QCOMPARE(f.driver->testPressureStep(), 0);
    }

    // The figure goes where the current knife's mark camera looks.
    void besideTheCamera()
    {
        DriverFixture &f = *m_f;
        f.config->setKnifeNo(0);
        f.config->setMarkCameraOffsetX(0, 20.0);
        f.config->setMarkCameraOffsetY(0, -10.0);
        f.driver->setOrigin();
        QCOMPARE(cutFigure(), figure(800, -400, "4000,1200"));
        f.config->setMarkCameraOffsetX(0, 0.0);
        f.config->setMarkCameraOffsetY(0, 0.0);
    }

    // While a job runs the test is refused and its position stays.
    void refusedWhileBusy()
    {
        DriverFixture &f = *m_f;
        f.driver->setOrigin();
        QVERIFY(f.sim.control("set status 1")); // the carriage holds the job in its first step
        f.driver->testPressure();
        QCOMPARE(f.driver->testPressureStep(), 2);
        QVERIFY(!f.driver->isWorkIdle());
        f.driver->setErrorMessage(QString());
        f.driver->testPressure();
        QCOMPARE(f.driver->errorMessage(), QString("机器繁忙，请稍后重试"));
        QCOMPARE(f.driver->testPressureStep(), 2);
        QVERIFY(f.sim.control("set status 0"));
        QVERIFY(QTest::qWaitFor([&] { return f.driver->isWorkIdle(); }, 5000));
    }
};

DRAVO_TEST_MAIN(TestVarnokPressure)
#include "tst_varnok_pressure.moc"
