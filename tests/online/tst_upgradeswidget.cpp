#include "TestMain.h"
#include "UpgradeServer.h"
#include "UpgradesWidget.h"

#include <QApplication>
#include <QMutex>

namespace {
QMutex g_lock;
QStringList g_log; // what the dialog logged, one line each
int logged(const QString &text)
{
    QMutexLocker lock(&g_lock);
    return int(g_log.filter(text).size());
}
} // namespace

// The firmware-versions query against the test's upgrade server: one GET per
// module with the query items in order, answers and faulty answers logged.
class TestUpgradesWidget : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &text) {
            QMutexLocker lock(&g_lock);
            g_log << text;
        });
    }
    void onePerModuleItemsInOrder();
    void answers_data();
    void answers();
    void progress();
};

void TestUpgradesWidget::onePerModuleItemsInOrder()
{
    UpgradeServer server;
    QVERIFY(server.listen(61));
    server.setReply("/machine/firmware/versions", R"({"code":200,"rows":[{"firmNo":"V3.3.0"},{"firmNo":"V3.2.1"}]})");
    UpgradesWidget widget;
    widget.setHost(server.address());
    QCOMPARE(widget.url(), QStringLiteral("http://%1:38021/machine/firmware/versions").arg(server.address()));
    FirmwareQuery control{"TS07x50001", "TS07x50001", "07x5", "V3.2.1", "PCB-1", "HC1.2", "203.0.113.7", "杭州 西湖",
                          {}, {}, "控制板", 0};
    FirmwareQuery trim = control;
    trim.firmNo = "V1.1.2";
    trim.pcbversion = "HT1.0";
    trim.moduleName = "裁切板";
    trim.firmModule = 3;
    widget.checkAll({control, trim});
    QTRY_COMPARE_WITH_TIMEOUT(logged("UpgradesWidget::onGetFinished"), 2, 30000);
    QCOMPARE(logged("2 versions latest V3.3.0"), 2);
    const QList<QStringList> queries = server.queries("/machine/firmware/versions");
    QCOMPARE(queries.size(), 2);
    QCOMPARE(queries.first(), (QStringList{"deviceId=TS07x50001", "firmNo=V3.2.1", "pcbCode=PCB-1", "pcbversion=HC1.2",
                                           "machineCode=TS07x50001", "machineModelCode=07x5", "ip=203.0.113.7",
                                           "location=杭州 西湖", "language=", "loginContext=", "firmModule=0", "top=3"}));
    QCOMPARE(queries.last().value(1), QStringLiteral("firmNo=V1.1.2"));
    QCOMPARE(queries.last().value(10), QStringLiteral("firmModule=3"));
    QVERIFY(widget.isHidden()); // shown by the full dialog only, when it has something to offer
}

// What is not an answer is a critical line with the address, never a crash.
void TestUpgradesWidget::answers_data()
{
    QTest::addColumn<QByteArray>("body"); // null: no reply on that path (404)
    QTest::addColumn<QString>("line");
    QTest::newRow("no versions") << QByteArray(R"({"code":200,"rows":[]})") << "0 versions latest";
    QTest::newRow("not JSON") << QByteArray("<html>busy</html>") << "无法解析json";
    QTest::newRow("code as text") << QByteArray(R"({"code":"200","rows":[]})") << "错误的返回";
    QTest::newRow("server error") << QByteArray(R"({"code":500,"msg":"x"})") << "错误的返回";
    QTest::newRow("rows not a list") << QByteArray(R"({"code":200,"rows":{"firmNo":1}})") << "错误的返回";
    QTest::newRow("row not an object") << QByteArray(R"({"code":200,"rows":[7]})") << "1 versions latest";
    QTest::newRow("404") << QByteArray() << "ContentNotFoundError";
}

void TestUpgradesWidget::answers()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, line);
    UpgradeServer server;
    QVERIFY(server.listen(71));
    if (!body.isNull())
        server.setReply("/machine/firmware/versions", body);
    UpgradesWidget widget;
    widget.setHost(server.address());
    const int before = logged(line);
    widget.check(FirmwareQuery());
    QTRY_VERIFY_WITH_TIMEOUT(logged(line) > before, 30000);
}

void TestUpgradesWidget::progress()
{
    UpgradesWidget widget;
    widget.setUpgradeProgress(37);
    QCOMPARE(widget.upgradeProgress(), 37);
    widget.setUpgradeProgress(250);
    QCOMPARE(widget.upgradeProgress(), 100);
    widget.setUpgradeProgress(-4);
    QCOMPARE(widget.upgradeProgress(), 0);
}

DRAVO_GUI_TEST_MAIN(TestUpgradesWidget)
#include "tst_upgradeswidget.moc"
