#include "online/upgrades/FirmwareDownload.h"
#include "tests/support/Recorder.h"
#include "tests/support/TestFiles.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TestMain.h"
#include "tests/support/online/UpgradeServer.h"
#include "online/upgrades/UpgradesWidget.h"

#include <QApplication>
#include <memory>
#include <QGroupBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTextEdit>
#include <QTreeView>

namespace {

const QString kVersions = QStringLiteral("/machine/firmware/versions");
const QByteArray kFirmware("UPG-FILE\x02;\x03\x00\xff", 13);

// A reply of the service for module 2: the latest V1.6.0 (with a file on the
// server when files is given), V1.5.0 on the board, V1.4.0.
QByteArray versions(const QString &files, int rows = 3, const QByteArray &latest = "V1.6.0")
{
    const QByteArray filesField = files.isNull() ? QByteArray() : ",\"files\":\"" + files.toUtf8() + '"';
    QByteArrayList list{R"({"firmNo":")" + latest + R"(","firmModule":2,"firmModuleStr":"检测","releaseDate":"2025-03-01","content":"<p>快</p>","isCurrentVersion":false)" + filesField + "}",
                        R"({"firmNo":"V1.5.0","firmModule":2,"firmModuleStr":"检测","releaseDate":"2024-11-02","isCurrentVersion":true)" + filesField + "}",
                        R"({"firmNo":"V1.4.0","firmModule":2,"firmModuleStr":"检测","releaseDate":"2024-06-03"})"};
    return R"({"code":200,"rows":[)" + list.mid(0, rows).join(',') + "]}";
}

FirmwareQuery sensorQuery(const QString &firmNo = QStringLiteral("V1.5.0"), const QString &machine = QStringLiteral("SM07x50001"))
{
    return {"DEV-1", machine, "07x5", firmNo, "PCB-1", "HS1.0", "203.0.113.7", "杭州 西湖", {}, {}, "检测模块", 2};
}

// The version cell of a row of the tree.
QModelIndex cell(const QStandardItemModel *model, QList<int> path)
{
    QModelIndex index;
    const int last = path.takeLast();
    for (int row : path)
        index = model->index(row, 0, index);
    return model->index(last, 1, index);
}
} // namespace

// The firmware dialog against the test's upgrade server: the query per
// module, the version tree and what its rows allow, ignoring, and the
// download that hands only a whole file on.
class TestUpgradesWidget : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { m_log = std::make_unique<LogCapture>(); }
    void init() { QFile::remove(QStringLiteral("config.ini")); }
    void onePerModuleItemsInOrder();
    void answers_data();
    void answers();
    void treeAndSelection();
    void ignoreLatest();
    void downloads_data();
    void downloads();
    void refusals();
    void progressAndSuccess();

private:
    // Installed once the test runs: the test framework installs its own handler first.
    std::unique_ptr<LogCapture> m_log;
};

// Waits until the dialog has handled n replies.
static bool handled(UpgradeServer &server, UpgradesWidget &widget, int n)
{
    return QTest::qWaitFor([&] { return server.queries(kVersions).size() >= n && widget.pendingQueries() == 0; }, 30000);
}

void TestUpgradesWidget::onePerModuleItemsInOrder()
{
    UpgradeServer server;
    QVERIFY(server.listen(61));
    server.setReply(kVersions, R"({"code":200,"rows":[{"firmNo":"V3.3.0"},{"firmNo":"V3.2.1"}]})");
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
    QTRY_COMPARE_WITH_TIMEOUT(widget.model()->rowCount(), 2, 30000);
    const QList<QStringList> queries = server.queries(kVersions);
    QCOMPARE(queries.size(), 2);
    QCOMPARE(queries.first(), (QStringList{"deviceId=TS07x50001", "firmNo=V3.2.1", "pcbCode=PCB-1", "pcbversion=HC1.2",
                                           "machineCode=TS07x50001", "machineModelCode=07x5", "ip=203.0.113.7",
                                           "location=杭州 西湖", "language=", "loginContext=", "firmModule=0", "top=3"}));
    QCOMPARE(queries.last().value(1), QStringLiteral("firmNo=V1.1.2"));
    QCOMPARE(queries.last().value(10), QStringLiteral("firmModule=3"));
    QCOMPARE(widget.model()->index(0, 0).data().toString(), QStringLiteral("控制板"));
    QCOMPARE(widget.model()->index(1, 0).data().toString(), QStringLiteral("裁切板"));
    QVERIFY(widget.isVisible());

    // Asked again before the answers came: the later answer alone fills the module.
    server.setReply(kVersions, versions({}), 300);
    widget.check(sensorQuery());
    widget.check(sensorQuery());
    QVERIFY(handled(server, widget, 4));
    QCOMPARE(widget.model()->rowCount(), 3);
    QCOMPARE(m_log->count(QStringLiteral("a later query replaced")), 1);
}

// What is no offer adds no row, shows nothing, and leaves its line.
void TestUpgradesWidget::answers_data()
{
    QTest::addColumn<QByteArray>("body"); // null: no reply on that path (404)
    QTest::addColumn<QString>("line");
    QTest::newRow("no versions") << QByteArray(R"({"code":200,"rows":[]})") << "UpgradesWidget::onGetFinished";
    QTest::newRow("newest on the board") << QByteArray(R"({"code":200,"rows":[{"firmNo":"V2","isCurrentVersion":true},{"firmNo":"V1"}]})") << "UpgradesWidget::onGetFinished";
    QTest::newRow("not JSON") << QByteArray("<html>busy</html>") << "无法解析json";
    QTest::newRow("truncated") << versions({}).left(60) << "无法解析json";
    QTest::newRow("code as text") << QByteArray(R"({"code":"200","rows":[{"firmNo":"V9"}]})") << "错误的返回";
    QTest::newRow("server error") << QByteArray(R"({"code":500,"msg":"x"})") << "错误的返回";
    QTest::newRow("rows not a list") << QByteArray(R"({"code":200,"rows":{"firmNo":1}})") << "错误的返回";
    QTest::newRow("row not an object") << QByteArray(R"({"code":200,"rows":[7]})") << "dropped: not an object";
    QTest::newRow("row without firmNo") << QByteArray(R"({"code":200,"rows":[{"files":"http://x/f"}]})") << "dropped: no firmNo";
    QTest::newRow("row of another module") << QByteArray(R"({"code":200,"rows":[{"firmNo":"V9","firmModule":0}]})") << "dropped: for module 0";
    QTest::newRow("module as text") << QByteArray(R"({"code":200,"rows":[{"firmNo":"V9","firmModule":"2"}]})") << "dropped: for module 2";
    QTest::newRow("404") << QByteArray() << "ContentNotFoundError";
}

void TestUpgradesWidget::answers()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, line);
    UpgradeServer server;
    QVERIFY(server.listen(71));
    if (!body.isNull())
        server.setReply(kVersions, body);
    UpgradesWidget widget;
    widget.setHost(server.address());
    const int before = m_log->count(line);
    widget.check(sensorQuery());
    QTRY_VERIFY_WITH_TIMEOUT(m_log->count(line) > before, 30000);
    QCOMPARE(widget.model()->rowCount(), 0);
    QVERIFY(widget.isHidden());
}

void TestUpgradesWidget::treeAndSelection()
{
    UpgradeServer server;
    QVERIFY(server.listen(141));
    server.setReply(kVersions, versions(server.url("/fw.bin")));
    UpgradesWidget widget;
    widget.setHost(server.address());
    FirmwareQuery query = sensorQuery();
    query.moduleName.clear(); // the service's name of the module then
    widget.check(query);
    QTRY_VERIFY_WITH_TIMEOUT(widget.isVisible(), 30000);
    const QStandardItemModel *model = widget.model();
    QCOMPARE(model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("发布日期"));
    QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("检测"));
    const QModelIndex module = model->index(0, 0);
    QCOMPARE(model->rowCount(module), 3);
    QCOMPARE(model->index(0, 0, module).data().toString(), QStringLiteral("当前版本"));
    QCOMPARE(cell(model, {0, 0}).data().toString(), QStringLiteral("V1.5.0"));
    QCOMPARE(model->index(0, 2, module).data().toString(), QStringLiteral("2024-11-02")); // the board's row's date
    QCOMPARE(model->index(1, 0, module).data().toString(), QStringLiteral("最新版本"));
    QCOMPARE(cell(model, {0, 1}).data(Qt::UserRole + 1).toMap().value("firmNo").toString(), QStringLiteral("V1.6.0"));
    QCOMPARE(model->index(2, 0, module).data().toString(), QStringLiteral("历史版本"));
    QCOMPARE(model->rowCount(model->index(2, 0, module)), 2);
    QCOMPARE(cell(model, {0, 2, 1}).data().toString(), QStringLiteral("V1.4.0"));

    // The latest version is chosen first: its notes, both buttons.
    QCOMPARE(widget.tree()->currentIndex(), cell(model, {0, 1}));
    QCOMPARE(widget.groupBox()->title(), QStringLiteral("检测 : V1.6.0"));
    QVERIFY(widget.contentEdit()->toPlainText().contains(QStringLiteral("快")));
    QVERIFY(widget.upgradeButton()->isVisible() && widget.ignoreButton()->isVisible());
    struct Case { QModelIndex row; bool upgrade; bool ignore; };
    for (const Case &c : {Case{model->index(0, 0), false, false}, Case{cell(model, {0, 0}), false, false},
                          Case{cell(model, {0, 2}), false, false}, Case{cell(model, {0, 2, 0}), true, false},
                          Case{cell(model, {0, 1}), true, true}}) {
        widget.tree()->setCurrentIndex(c.row);
        QCOMPARE(widget.upgradeButton()->isVisible(), c.upgrade);
        QCOMPARE(widget.ignoreButton()->isVisible(), c.ignore);
        QCOMPARE(widget.contentEdit()->isVisible(), c.upgrade);
        QCOMPARE(widget.groupBox()->title().isEmpty(), !c.upgrade);
    }

    // One row: no older versions, no date on the board's row.
    server.setReply(kVersions, versions({}, 1));
    widget.check(sensorQuery());
    QVERIFY(handled(server, widget, 2));
    QCOMPARE(model->rowCount(model->index(0, 0)), 2);
    QCOMPARE(model->index(0, 2, model->index(0, 0)).data().toString(), QString());
    QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("检测模块"));
}

// "忽略" on the latest version keeps it in "config.ini" and takes the module
// out; the same version is not offered again, a newer one is.
void TestUpgradesWidget::ignoreLatest()
{
    UpgradeServer server;
    QVERIFY(server.listen(151));
    server.setReply(kVersions, versions({}));
    UpgradesWidget widget;
    widget.setHost(server.address());
    widget.setSettingsFile(QStringLiteral("config.ini"));
    widget.check(sensorQuery());
    QVERIFY(handled(server, widget, 1) && widget.model()->rowCount() == 1);
    widget.ignoreButton()->click(); // no "config.ini": nothing happens
    QCOMPARE(widget.model()->rowCount(), 1);

    QVERIFY(writeFile(QStringLiteral("config.ini"), "[Dravolinte]\nIP=127.0.0.1\n"));
    widget.ignoreButton()->click();
    QCOMPARE(widget.model()->rowCount(), 0);
    QVERIFY(widget.ignoreButton()->isHidden() && widget.upgradeButton()->isHidden());
    QCOMPARE(QSettings(QStringLiteral("config.ini"), QSettings::IniFormat).value("Upgrage/2").toString(), QStringLiteral("V1.6.0"));
    widget.hide();
    widget.check(sensorQuery());
    QVERIFY(handled(server, widget, 2));
    QVERIFY(widget.isHidden() && widget.model()->rowCount() == 0);
    server.setReply(kVersions, versions({}, 3, "V1.7.0"));
    widget.check(sensorQuery());
    QTRY_VERIFY_WITH_TIMEOUT(widget.isVisible() && widget.model()->rowCount() == 1, 30000);
}

void TestUpgradesWidget::downloads_data()
{
    QTest::addColumn<QString>("files"); // a path on the server, or an address of its own
    QTest::addColumn<QString>("reason"); // a part of the operator's message
    QTest::newRow("whole") << "/fw.bin" << "";
    QTest::newRow("redirected") << "/moved" << "";
    QTest::newRow("local file") << "file:///etc/passwd" << "not an http(s) address";
    QTest::newRow("bare path") << "/etc/passwd " << "ContentAccessDenied"; // a path of the server, not of this computer
    QTest::newRow("redirected to a local file") << "/to-file" << "";
    QTest::newRow("404") << "/missing" << "ContentNotFoundError";
    QTest::newRow("500") << "/broken" << "InternalServerError";
    QTest::newRow("no content") << "/nothing" << "HTTP status 204";
    QTest::newRow("empty") << "/empty" << "empty body";
    QTest::newRow("truncated") << "/truncated" << "";
    QTest::newRow("announced over the bound") << "/announced" << "larger than 65536 bytes";
    QTest::newRow("over the bound") << "/huge" << "larger than 65536 bytes";
    QTest::newRow("endless") << "/endless" << "larger than 65536 bytes";
    QTest::newRow("hanging") << "/hang" << "no data for too long";
}

void TestUpgradesWidget::downloads()
{
    QFETCH(QString, files);
    QFETCH(QString, reason);
    NotifierRecorder notices;
    UpgradeServer server;
    QVERIFY(server.listen(161));
    server.setReply("/fw.bin", kFirmware);
    server.setRawReply("/moved", "HTTP/1.1 301 Moved\r\nLocation: /fw.bin\r\nContent-Length: 0\r\n\r\n");
    server.setRawReply("/etc/passwd", "HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\n\r\n");
    server.setRawReply("/to-file", "HTTP/1.1 302 Found\r\nLocation: file:///etc/passwd\r\nContent-Length: 0\r\n\r\n");
    server.setRawReply("/broken", "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 2\r\n\r\n{}");
    server.setRawReply("/nothing", "HTTP/1.1 204 No Content\r\n\r\n");
    server.setRawReply("/empty", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
    server.setRawReply("/truncated", "HTTP/1.1 200 OK\r\nContent-Length: 4096\r\n\r\n" + QByteArray(1000, 'f'));
    server.setRawReply("/announced", "HTTP/1.1 200 OK\r\nContent-Length: 104857600\r\n\r\n" + QByteArray(1000, 'f'), false);
    server.setRawReply("/huge", "HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\n" + QByteArray(1000, 'f'), false);
    server.setEndless("/endless");
    server.setHang("/hang");
    const QString address = files.startsWith(QLatin1String("file:")) ? files : server.url(files);
    server.setReply(kVersions, versions(address));
    UpgradesWidget widget;
    widget.download()->setLimits({1000, 60000, 65536});
    widget.setHost(server.address());
    widget.check(sensorQuery());
    QTRY_VERIFY_WITH_TIMEOUT(widget.upgradeButton()->isVisible(), 30000);
    QSignalSpy upgrade(&widget, &UpgradesWidget::upgrade);
    widget.upgradeButton()->click();
    if (widget.download()->isRunning()) {
        QVERIFY(!widget.upgradeButton()->isEnabled());
        QCOMPARE(widget.progressBar()->format(), QStringLiteral("下载进度%p%"));
        widget.upgradeButton()->click(); // a second press while it runs: nothing
        QTRY_VERIFY_WITH_TIMEOUT(!widget.download()->isRunning(), 30000);
    }
    if (reason.isEmpty() && (files == QLatin1String("/fw.bin") || files == QLatin1String("/moved"))) {
        QCOMPARE(upgrade.size(), 1);
        QCOMPARE(upgrade.first().at(0).toInt(), 2);
        QCOMPARE(upgrade.first().at(1).toByteArray(), kFirmware);
        QCOMPARE(upgrade.first().at(2).toMap().value("firmNo").toString(), QStringLiteral("V1.6.0"));
        QVERIFY(!widget.upgradeButton()->isEnabled());
        QCOMPARE(widget.progressBar()->value(), 100);
        QVERIFY(notices.messages().isEmpty());
        QCOMPARE(server.requests().filter(files).size(), 1);
    } else {
        QCOMPARE(upgrade.size(), 0);
        QCOMPARE(notices.titles(), QStringList{QStringLiteral("警告")});
        QVERIFY2(notices.messages().value(0).startsWith(QStringLiteral("下载失败：")) && notices.messages().value(0).contains(reason),
                 qPrintable(notices.messages().value(0)));
        QVERIFY(widget.upgradeButton()->isEnabled() && widget.progressBar()->isHidden());
        QCOMPARE(widget.progressBar()->value(), 0);
    }
}

// What "升级" refuses before anything is fetched.
void TestUpgradesWidget::refusals()
{
    NotifierRecorder notices;
    UpgradeServer server;
    QVERIFY(server.listen(171));
    server.setReply(kVersions, versions(QString()));
    UpgradesWidget widget;
    widget.setHost(server.address());
    bool transfer = false;
    widget.setTransferRunning([&transfer] { return transfer; });
    widget.upgradeButton()->click(); // nothing chosen
    widget.check(sensorQuery());
    QTRY_VERIFY_WITH_TIMEOUT(widget.upgradeButton()->isVisible(), 30000);
    widget.upgradeButton()->click(); // a version without a file
    widget.tree()->setCurrentIndex(widget.model()->index(0, 0));
    widget.upgradeButton()->click(); // the module's row
    server.setReply(kVersions, versions(server.url("/fw.bin")));
    widget.check(sensorQuery());
    QVERIFY(handled(server, widget, 2));
    transfer = true;
    widget.upgradeButton()->click(); // the board still takes a file
    QCOMPARE(notices.messages(), (QStringList{"请选择正确版本升级", "没有下载链接", "请选择正确版本升级", "请等待升级结束"}));
    QCOMPARE(notices.titles(), (QStringList{"tip", "警告", "tip", "tip"}));
    QCOMPARE(server.requests().filter("/fw.bin").size(), 0);
}

// The bar shows the download, then the transfer; "升级成功" when the same
// controller reports the version this dialog sent to that module.
void TestUpgradesWidget::progressAndSuccess()
{
    NotifierRecorder notices;
    UpgradeServer server;
    QVERIFY(server.listen(181));
    server.setReply("/fw.bin", kFirmware);
    server.setReply(kVersions, versions(server.url("/fw.bin")));
    UpgradesWidget widget;
    widget.setHost(server.address());
    emit widget.downloadProgress(512, 2048);
    QCOMPARE(widget.upgradeProgress(), 25);
    emit widget.downloadProgress(900, -1);
    QCOMPARE(widget.upgradeProgress(), 25);

    FirmwareQuery other = sensorQuery();
    other.firmModule = 0; // a module without a file sent
    widget.checkAll({sensorQuery(), other});
    QVERIFY(handled(server, widget, 2));
    widget.tree()->setCurrentIndex(cell(widget.model(), {0, 1}));
    QSignalSpy upgrade(&widget, &UpgradesWidget::upgrade);
    widget.upgradeButton()->click();
    QVERIFY(upgrade.wait(30000));
    QCOMPARE(widget.progressBar()->format(), QStringLiteral("下载进度%p%"));
    widget.setUpgradeProgress(50);
    QCOMPARE(widget.progressBar()->format(), QStringLiteral("升级进度%p%"));
    QCOMPARE(widget.upgradeProgress(), 50);
    QVERIFY(!widget.upgradeButton()->isEnabled());
    widget.setUpgradeProgress(0); // broken off half-way: it may be tried again
    QVERIFY(widget.upgradeButton()->isEnabled());
    widget.upgradeButton()->click();
    QVERIFY(upgrade.wait(30000));
    QCOMPARE(upgrade.size(), 2);
    widget.setUpgradeProgress(100);
    QCOMPARE(widget.progressBar()->format(), QStringLiteral("升级进度%p%"));
    widget.setUpgradeProgress(250);
    QCOMPARE(widget.upgradeProgress(), 100);
    QVERIFY(!widget.upgradeButton()->isEnabled());

    // The same number again, another controller's, back to the first one: no success.
    widget.checkAll({sensorQuery(), sensorQuery(QStringLiteral("V1.6.0"), QStringLiteral("SM07x50002")), other});
    widget.check(sensorQuery());
    QVERIFY(notices.messages().isEmpty());
    QVERIFY(widget.upgradeButton()->isEnabled()); // asked again: it may be pressed again
    // The version sent, blanks and "V" aside.
    widget.check(sensorQuery(QStringLiteral(" 1.6.0")));
    QCOMPARE(notices.messages(), QStringList{QStringLiteral("升级成功")});
    QCOMPARE(notices.titles(), QStringList{QStringLiteral("tip")});
    widget.check(sensorQuery(QStringLiteral(" 1.6.0")));
    QCOMPARE(notices.messages().size(), 1); // told once
}

DRAVO_GUI_TEST_MAIN(TestUpgradesWidget)
#include "tst_upgradeswidget.moc"
