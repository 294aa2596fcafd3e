#include "configuration/Config.h"
#include "tests/configuration/ConfigFixture.h"
#include "configuration/parameters/KnifeOffsets.h"
#include "configuration/settingsfiles/ParamFile.h"
#include "configuration/parameters/ParamRows.h"
#include "tests/support/TestMain.h"

#include <cmath>

// The working file and its writes, the load and save passes with the knife
// offsets, the switch to a version's preset and the saved defaults.
class TestParamFile : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_dir = startConfigTest(); }

    void writesReachTheDiskOncePerBatch()
    {
        ParamFile file(m_dir);
        file.write(QStringLiteral("A/x"), 1); // nothing open: nothing written
        file.open();
        QCOMPARE(file.fileName(), m_dir + QStringLiteral("/tmp.ini"));
        {
            ParamFile::Batch outer(file);
            {
                ParamFile::Batch inner(file);
                file.write(QStringLiteral("A/y"), 3);
            }
            QVERIFY(!readAll("tmp.ini").contains("y=3"));
        }
        QCOMPARE(readAll("tmp.ini"), QByteArray("[A]\ny=3\n"));
        // A file that cannot be written is said once, not at every change.
        MessageLog criticals;
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^ParamFile::sync cannot write .*tmp.ini"));
        ParamFile nowhere(QStringLiteral("/proc/dravolinte-no-such-folder"));
        nowhere.open();
        for (int i = 0; i < 3; ++i)
            nowhere.write(QStringLiteral("A/x"), i);
        QCOMPARE(criticals.lines().size(), 1);
    }

    void loadAndSavePasses()
    {
        // Lines that are not settings are dropped when written, without a false write error.
        writeFile("config.ini", "[Custom]\nOwn=kept\nnot a setting\n[Dravolinte]\nKnifeNum=3\nMark_Camera_Offset_X=1.25\n"
                                "Mark_Camera_Offset_X1=-2.5\nMark_Camera_Offset_Y3=9\nMark_Size=big\nVersion=2\n");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^ParamFile::open .*config.ini has lines"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^ParamFile::load bad value for Dravolinte/Mark_Size : big"));
        MessageLog criticals;
        ParamFile file(m_dir);
        ParamRows rows([&](const QString &key, const QVariant &v) { file.write(key, v); });
        KnifeOffsets knives([&](const QString &key, const QVariant &v) { file.write(key, v); });
        QList<int> order;
        file.load(rows, knives, [&](int id, const QVariant &v) {
            order << id;
            rows.store(id, v);
        });
        QCOMPARE(order.mid(0, 5), QList<int>({104, 106, 103, 105, 107}));
        QCOMPARE(order.mid(order.size() - 5), QList<int>({77, 87, 88, 89, 90})); // the 7x4 rows after the version
        QCOMPARE(rows.value(Config::CPT_Mark_Size), QVariant(3.5));
        QCOMPARE(rows.row(Config::CPT_Gyroscope_speed).max, 100.0);
        QCOMPARE(knives.get(KnifeOffsets::X, 1), -2.5);
        QCOMPARE(knives.get(KnifeOffsets::Y, 3), 0.0); // beyond the knife count: not read
        // An offset changes when it differs by a bit, or when the knife had none.
        QVERIFY(!knives.set(KnifeOffsets::X, 1, -2.5) && knives.set(KnifeOffsets::X, 1, std::nextafter(-2.5, 0.0)));
        QVERIFY(knives.set(KnifeOffsets::Y, 5, 0.0) && !knives.set(KnifeOffsets::Y, 5, 0.0));

        file.save(rows, knives);
        const QSettings ini("config.ini", QSettings::IniFormat);
        QStringList values;
        for (const char *key : {"Custom/Own", "Dravolinte/Mark_Camera_Offset_X", "Dravolinte/Mark_Camera_Offset_Y2",
                                "Dravolinte/RIIN_Path"})
            values << ini.value(key).toString();
        QCOMPARE(values, QStringList({"kept", "1.25", "0", ""}));
        QVERIFY(!ini.contains("Dravolinte/Mark_Camera_Offset_X3") && !readAll("config.ini").contains("not a setting"));
        QCOMPARE(ini.value("Dravolinte/Mark_Camera_Offset_Y5").toString(), QStringLiteral("0"));
        QCOMPARE(criticals.lines(), QStringList());
    }

    // Without a preset for the version, the operator's values become the working file.
    void switchToPresetKeepsValuesWithoutOne()
    {
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^copyFile .*config/config3.ini"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^ParamFile::switchToPreset no preset"));
        ParamFile file(m_dir);
        file.open();
        file.write(QStringLiteral("Dravolinte/Ident"), QStringLiteral("operator"));
        QVERIFY(file.switchToPreset(3));
        QCOMPARE(readAll("config.ini"), QByteArray("[Dravolinte]\nIdent=operator\n"));
        QVERIFY(!QFile::exists("tmp.ini"));
        QVERIFY(!file.switchToPreset(3)); // on the working file already
    }

    void savedDefaults()
    {
        ParamFile file(m_dir);
        QVERIFY(!file.hasDefaults());
        QVERIFY(file.writeDefaults({{"A/x", 4}, {"A/y", "t"}}));
        file.writeDefault(QString(), 5); // a row without a key has no default
        file.writeDefault(QStringLiteral("A/z"), 6);
        QVERIFY(file.hasDefaults());
        const QList<QVariant> values = file.readDefaults({"A/y", "A/x", "", "A/q"});
        QCOMPARE(QStringList({values[0].toString(), values[1].toString()}), QStringList({"t", "4"}));
        QVERIFY(!values[2].isValid() && !values[3].isValid());
        QVERIFY(QDir().mkpath("folder/configDefault.ini")); // a folder in the file's place: not written, even by root
        ParamFile blocked(m_dir + "/folder");
        QVERIFY(!blocked.writeDefaults({{"A/x", 4}}) && !blocked.hasDefaults());
    }

private:
    QString m_dir;
};

DRAVO_TEST_MAIN(TestParamFile)
#include "tst_paramfile.moc"
