#include "tests/support/TestFiles.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TestMain.h"
#include "tests/support/online/UpgradeServer.h"
#include "online/upgrades/UpgradesSoftWidget.h"

#include <QApplication>
#include <memory>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>

namespace {

const QString kVersionPath = QStringLiteral("/machine/software/version");

QByteArray offer(const QByteArray &version)
{
    return R"({"code":200,"data":{"softName":"Dravolinte","softVersion":)" + version
           + R"(,"softCode":"DRV-2024","releaseDate":"2025-03-02","content":"<b>新</b>功能"}})";
}
} // namespace

// The software-version check against the test's upgrade server, on a
// loopback address of its own at the service's port: the query, which offers
// show the dialog, and what "忽略" and "更新" leave behind.
class TestUpgradesSoftWidget : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { m_log = std::make_unique<LogCapture>(); }
    void queryReachesTheService();
    void offers_data();
    void offers();
    void ignoreThenNewer();
    void withoutConfigFile();

private:
    bool checkOnce(UpgradesSoftWidget &widget, const QString &running);
    // Installed once the test runs: the test framework installs its own handler first.
    std::unique_ptr<LogCapture> m_log;
};

// Answers one check; true once the reply has been handled.
bool TestUpgradesSoftWidget::checkOnce(UpgradesSoftWidget &widget, const QString &running)
{
    const int before = m_log->count(QStringLiteral("UpgradesSoftWidget::onGetFinished"));
    widget.check(QStringLiteral("Dravolinte"), running, QStringLiteral("Dravolinte"));
    return QTest::qWaitFor([&] { return m_log->count(QStringLiteral("UpgradesSoftWidget::onGetFinished")) > before; }, 30000);
}

void TestUpgradesSoftWidget::queryReachesTheService()
{
    UpgradeServer server;
    QVERIFY(server.listen(101));
    server.setReply(kVersionPath, R"({"code":200,"data":{}})");
    UpgradesSoftWidget widget;
    widget.setHost(server.address());
    QCOMPARE(widget.url(), QStringLiteral("http://%1:38021/machine/software/version").arg(server.address()));
    QVERIFY(checkOnce(widget, QStringLiteral("2.2.1")));
    QCOMPARE(server.requests().value(0),
             QStringLiteral("/machine/software/version?softName=Dravolinte&softVersion=2.2.1&softCode=Dravolinte"));

    // Nobody at the other address: the refusal is logged with the address.
    widget.setHost(QStringLiteral("127.0.0.%1").arg(server.address().section('.', 3).toInt() + 30));
    QVERIFY(checkOnce(widget, QStringLiteral("2.2.1")));
    QCOMPARE(m_log->count(QStringLiteral("UpgradesSoftWidget::onGetFinished ConnectionRefusedError http://127.0.0.")), 1);
    // No address at all: nothing is sent.
    widget.setHost(QString());
    widget.check(QStringLiteral("Dravolinte"), QStringLiteral("2.2.1"), QStringLiteral("Dravolinte"));
    QCOMPARE(m_log->count(QStringLiteral("UpgradesSoftWidget::check no server address")), 1);
    QVERIFY(widget.isHidden());
}

void TestUpgradesSoftWidget::offers_data()
{
    QTest::addColumn<QString>("running");
    QTest::addColumn<QByteArray>("body"); // null: no reply on that path (404)
    QTest::addColumn<QString>("ignored"); // null: nothing stored
    QTest::addColumn<QString>("shown");   // empty: hidden
    QTest::addColumn<QString>("line");    // a line the reply leaves; empty: no critical line
    QTest::newRow("newer") << "2.2.1" << offer("\"2.3\"") << QString() << "2.3" << "Current 2.2.1 Upgrage 2.3";
    QTest::newRow("same") << "2.2.1" << offer("\"2.2.1\"") << QString() << "" << "";
    QTest::newRow("older") << "2.2.1" << offer("\"2.2\"") << QString() << "" << "";
    QTest::newRow("ignored") << "2.2.1" << offer("\"2.3\"") << "2.3" << "" << "Ignore 2.3";
    QTest::newRow("more segments than the ignored") << "2.2.1" << offer("\"2.3.0\"") << "2.3" << "2.3.0" << "";
    QTest::newRow("newer than the ignored") << "2.2.1" << offer("\"2.4\"") << "2.3" << "2.4" << "";
    QTest::newRow("version as a number") << "2.2.1" << offer("2.4") << QString() << "2.4" << "";
    QTest::newRow("running without a number") << "V2.2.1" << offer("\"0.1\"") << QString() << "0.1" << "";
    QTest::newRow("code as text") << "2.2.1" << QByteArray(R"({"code":"200","data":{"softVersion":"9"}})") << QString() << "" << "错误的返回";
    QTest::newRow("code 500") << "2.2.1" << QByteArray(R"({"code":500,"data":{"softVersion":"9"}})") << QString() << "" << "错误的返回";
    QTest::newRow("no data") << "2.2.1" << QByteArray(R"({"code":200})") << QString() << "" << "";
    QTest::newRow("data not an object") << "2.2.1" << QByteArray(R"({"code":200,"data":"2.3"})") << QString() << "" << "";
    QTest::newRow("not JSON") << "2.2.1" << QByteArray("<html>busy</html>") << QString() << "" << "无法解析json";
    QTest::newRow("truncated JSON") << "2.2.1" << offer("\"2.3\"").left(40) << QString() << "" << "无法解析json";
    QTest::newRow("404") << "2.2.1" << QByteArray() << QString() << "" << "ContentNotFoundError";
}

void TestUpgradesSoftWidget::offers()
{
    QFETCH(QString, running);
    QFETCH(QByteArray, body);
    QFETCH(QString, ignored);
    QFETCH(QString, shown);
    QFETCH(QString, line);
    UpgradeServer server;
    QVERIFY(server.listen(111));
    if (!body.isNull())
        server.setReply(kVersionPath, body);
    QVERIFY(writeFile(QStringLiteral("config.ini"), ignored.isNull() ? "[Dravolinte]\nIP=x\n"
                                                                     : "[Upgrage]\nDravolinte=" + ignored.toUtf8() + "\n"));
    UpgradesSoftWidget widget;
    widget.setSettingsFile(QStringLiteral("config.ini"));
    widget.setHost(server.address());
    m_log->clear();
    QVERIFY(checkOnce(widget, running));
    QCOMPARE(widget.isVisible(), !shown.isEmpty());
    if (!shown.isEmpty())
        QCOMPARE(widget.shownVersion(), shown);
    if (line.isEmpty())
        QCOMPARE(m_log->count(QStringLiteral("错误的返回")) + m_log->count(QStringLiteral("无法解析json")), 0);
    else
        QTRY_COMPARE_WITH_TIMEOUT(m_log->count(line), 1, 10000);
}

// 2.2.1 is offered 2.3: shown; "忽略" keeps 2.3 and the offer stays away;
// 2.3.0 and 2.4 come again; "更新" closes and hands over, once.
void TestUpgradesSoftWidget::ignoreThenNewer()
{
    UpgradeServer server;
    QVERIFY(server.listen(121));
    server.setReply(kVersionPath, offer("\"2.3\""));
    QVERIFY(writeFile(QStringLiteral("config.ini"), "[Dravolinte]\nIP=127.0.0.1\n"));
    UpgradesSoftWidget widget;
    widget.setSettingsFile(QStringLiteral("config.ini"));
    widget.setHost(server.address());
    QSignalSpy upgrade(&widget, &UpgradesSoftWidget::upgrade);
    QVERIFY(checkOnce(widget, QStringLiteral("2.2.1")) && widget.isVisible());
    QTest::mouseClick(widget.ignoreButton(), Qt::LeftButton);
    QVERIFY(widget.isHidden());
    QSettings ini(QStringLiteral("config.ini"), QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("Upgrage/Dravolinte")).toString(), QStringLiteral("2.3"));
    QCOMPARE(ini.value(QStringLiteral("Dravolinte/IP")).toString(), QStringLiteral("127.0.0.1"));
    QVERIFY(checkOnce(widget, QStringLiteral("2.2.1")) && widget.isHidden());
    for (const QByteArray version : {"\"2.3.0\"", "\"2.4\""}) {
        server.setReply(kVersionPath, offer(version));
        QVERIFY(checkOnce(widget, QStringLiteral("2.2.1")) && widget.isVisible());
        widget.hide();
    }
    QVERIFY(checkOnce(widget, QStringLiteral("2.2.1")) && widget.isVisible());
    QTest::mouseClick(widget.updateButton(), Qt::LeftButton);
    QVERIFY(widget.isHidden());
    QCOMPARE(upgrade.size(), 1);
}

// No "config.ini": nothing counts as ignored, "忽略" neither stores nor closes.
void TestUpgradesSoftWidget::withoutConfigFile()
{
    UpgradeServer server;
    QVERIFY(server.listen(131));
    server.setReply(kVersionPath, offer("\"2.3\""));
    QFile::remove(QStringLiteral("config.ini"));
    UpgradesSoftWidget widget;
    widget.setSettingsFile(QStringLiteral("config.ini"));
    widget.setHost(server.address());
    QVERIFY(checkOnce(widget, QStringLiteral("2.2.1")) && widget.isVisible());
    QTest::mouseClick(widget.ignoreButton(), Qt::LeftButton);
    QVERIFY(widget.isVisible());
    QVERIFY(!QFile::exists(QStringLiteral("config.ini")));
}

DRAVO_GUI_TEST_MAIN(TestUpgradesSoftWidget)
#include "tst_upgradessoftwidget.moc"
