#include "tests/app/AppTestSupport.h"

#include "configuration/records/DbConfig.h"

#include <QSettings>

// Copies and production records: each finished copy counted once, in the
// counters of "config.ini" and the records of "config.db".
class TestProductionRecords : public QObject
{
    Q_OBJECT
private slots:
    // Three cut copies of 250 mm under a task code: the third ends the task,
    // as, while printing, the last print copy does.
    void copiesAreBooked()
    {
        AppFixture fx("[Total]\nCopies=0\n"); // a machine with its working file
        ProductionRecords records;
        records.setCutTaskCopies(3);
        TaskRecord task;
        task.timestamp = QDateTime::currentDateTime();
        task.code = fx.config->db().maxTaskCode();
        records.setCurrentTaskRecord(task);
        QVERIFY(records.finishedOneCopies(250, false) && records.finishedOneCopies(250, true));
        QVERIFY(!records.finishedOneCopies(250, false) && records.cutCopies() == 3);
        QSettings ini(fx.config->cfgPath(), QSettings::IniFormat);
        QVERIFY(ini.value("Total/Copies").toInt() == 3 && ini.value("Total/Cut").toFloat() == 0.75f);
        QVERIFY(fx.config->db().selectTaskRecord(task.code, task) && task.cutCopies == 3);
        WorkRecord work;
        QVERIFY(fx.config->db().selectWorkRecord(records.cutWorkRecord().timestamp, work) && work.cut_cnt == 3);
        records.setCutTaskCopies(0);
        records.setPrintTaskCopies(2);
        records.setPrintCopies(2);
        QVERIFY(records.finishedOneCopies(250, false) && !records.finishedOneCopies(250, true));
    }

    // A printed batch goes under the newest task code; outside a task it is a job of its own.
    void printRecords()
    {
        AppFixture fx;
        ProductionRecords records;
        QCOMPARE(records.updatePrintRecord(4, false, -1), 0); // print records off
        fx.config->setProperty(Config::CPT_Enable_Print_Marker_Type, 1);
        TaskRecord task;
        WorkRecord work;
        QVERIFY(fx.config->db().selectTaskRecord(quint32(records.updatePrintRecord(4, false, -1)), task));
        QVERIFY(task.printCopies == 4 && task.dataIndex == -1);
        QVERIFY(fx.config->db().selectWorkRecord(task.work_record_timestamp, work) && work.print_cnt == 4);
    }
};

DRAVO_TEST_MAIN(TestProductionRecords)
#include "tst_productionrecords.moc"
