#include "configuration/Config.h"
#include "tests/configuration/ConfigFixture.h"
#include "configuration/parameters/ParamRows.h"
#include "configuration/parameters/ParamTable.h"
#include "tests/support/TestMain.h"

#include <QThread>
#include <cmath>

// The live table: typed conversion of stored text, real-change reports, the
// write-through, ranges and groups, and the property that signals each row.
class TestParamRows : public QObject
{
    Q_OBJECT

private slots:
    void convert_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QVariant>("raw");
        QTest::addColumn<QVariant>("value"); // invalid: the text does not convert
        QTest::newRow("int") << int(QMetaType::Int) << QVariant(" 12 ") << QVariant(12);
        QTest::newRow("int from words") << int(QMetaType::Int) << QVariant("bright") << QVariant();
        QTest::newRow("float") << int(QMetaType::Float) << QVariant("2.5") << QVariant(2.5f);
        QTest::newRow("float infinite") << int(QMetaType::Float) << QVariant("inf") << QVariant();
        QTest::newRow("bool 1") << int(QMetaType::Bool) << QVariant("1") << QVariant(true);
        QTest::newRow("bool FALSE") << int(QMetaType::Bool) << QVariant("FALSE") << QVariant(false);
        QTest::newRow("bool perhaps") << int(QMetaType::Bool) << QVariant("perhaps") << QVariant();
        QTest::newRow("date") << int(QMetaType::QDate) << QVariant("2024-03-05") << QVariant(QDate(2024, 3, 5));
        QTest::newRow("date someday") << int(QMetaType::QDate) << QVariant("someday") << QVariant();
        // The settings file reads Julian day 0, every date row's default, back as a null date.
        QTest::newRow("date of day 0") << int(QMetaType::QDate) << QVariant(QDate()) << QVariant(QDate::fromJulianDay(0));
        QTest::newRow("text with a comma") << int(QMetaType::QString) << QVariant(QStringList{"M 7", "b"}) << QVariant("M 7,b");
    }
    void convert()
    {
        QFETCH(int, type);
        QFETCH(QVariant, raw);
        QFETCH(QVariant, value);
        QVariant out;
        QCOMPARE(ParamRows::convert(raw, QMetaType::Type(type), &out), value.isValid());
        if (value.isValid())
            QVERIFY(out.typeId() == type && out == value);
    }

    void storeReportsRealChanges_data()
    {
        QTest::addColumn<QVariant>("before");
        QTest::addColumn<QVariant>("after");
        QTest::addColumn<bool>("changed");
        QTest::newRow("fresh row") << QVariant() << QVariant(0) << true;
        QTest::newRow("same int") << QVariant(30) << QVariant(30) << false;
        QTest::newRow("int as double") << QVariant(30) << QVariant(30.0) << false;
        QTest::newRow("float, one bit") << QVariant(1.5f) << QVariant(std::nextafter(1.5f, 2.0f)) << true;
        QTest::newRow("same date") << QVariant(QDate(2024, 1, 2)) << QVariant(QDate(2024, 1, 2)) << false;
    }
    void storeReportsRealChanges()
    {
        QFETCH(QVariant, before);
        QFETCH(QVariant, after);
        QFETCH(bool, changed);
        QStringList written;
        ParamRows rows([&](const QString &key, const QVariant &v) { written << key + '=' + v.toString(); });
        rows.define(1, QStringLiteral("S/k"), before);
        if (before.isValid())
            rows.store(1, before);
        QVariant old;
        QCOMPARE(rows.store(1, after, &old), changed);
        QVERIFY(old == before && rows.value(1) == after);
        rows.store(1, before, nullptr, true); // memory only
        // Every store of a row with a key is written, changed or not.
        QCOMPARE(written.mid(before.isValid() ? 1 : 0), QStringList{"S/k=" + after.toString()});
    }

    void rangesAndFreshRows()
    {
        ParamRows rows([](const QString &key, const QVariant &) { QFAIL(qPrintable(key)); });
        rows.store(33, 150); // a fresh row: no key, never written
        rows.setRange(33, 0.0, 100.0);
        rows.store(12, 1000); // no range of its own
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^ParamRows::outOfRange  = 150 outside 0 .. 100"));
        QCOMPARE(rows.outOfRange(), QList<int>{33});
        QVERIFY(rows.value(76) == QVariant(0) && !rows.contains(76) && !rows.setLabel(76, QStringLiteral("x")));
    }

    // Threads booking onto one counter at once each count (a read, then a
    // set, lost bookings); whole counts wrap at 32 bits as the totals do.
    void countersBookedInOneStep()
    {
        ParamRows rows;
        rows.define(Config::CPT_Today_Copies, QString(), QVariant(uint(0)));
        rows.define(Config::CPT_Today_Cut, QString(), QVariant(float(0)));
        QList<QThread *> threads;
        for (int t = 0; t < 4; ++t)
            threads << QThread::create([&rows] {
                QVariant old, now;
                for (int i = 0; i < 5000; ++i)
                    rows.add(Config::CPT_Today_Copies, 1, &old, &now), rows.add(Config::CPT_Today_Cut, 0.5, &old, &now);
            });
        for (QThread *t : threads)
            t->start();
        for (QThread *t : threads) {
            QVERIFY(t->wait(60000));
            delete t;
        }
        QVERIFY(rows.value(Config::CPT_Today_Copies) == QVariant(20000) && rows.value(Config::CPT_Today_Cut) == QVariant(10000.0f));
        QVariant old, now;
        rows.store(Config::CPT_Today_Copies, -1);
        QVERIFY(rows.add(Config::CPT_Today_Copies, 1, &old, &now) && now == QVariant(0));
    }

    // Each row a property shows names its own; the property's NOTIFY is the row's signal.
    void everyShownRowHasItsProperty()
    {
        QSet<QByteArray> names;
        for (int id : rowsWithProperty())
            names.insert(rowProperty(id).notifySignal().name());
        QCOMPARE(names.size(), 65);
        QVERIFY(!rowProperty(Config::CPT_Film_Speed).isValid());
    }
};

DRAVO_TEST_MAIN(TestParamRows)
#include "tst_paramrows.moc"
