#include "AdFeed.h"
#include "CarouselImageWindow.h"
#include "Config.h"
#include "MqttBroker.h"
#include "TestFiles.h"
#include "TestMain.h"
#include "mqttMessage.h"

#include <QApplication>
#include <QSettings>
#include <QWindow>

// The start of the advertising feed against a broker with the service's
// account rules: the built-in account, the client id made once and kept in
// the working settings file, the carousel over the given window; no broker,
// no carousel.
class TestAdFeed : public QObject
{
    Q_OBJECT
private slots:
    void keepsItsClientId();
    void noBrokerNoCarousel();
};

void TestAdFeed::keepsItsClientId()
{
    if (MqttBroker::program().isEmpty())
        QSKIP("mosquitto is not installed");
    MqttBroker broker;
    MqttBroker::Options options;
    options.address = QStringLiteral("127.0.0.241");
    options.port = AdFeed::kPort;
    options.users.insert(QStringLiteral("admin"), QStringLiteral("mivo@7351"));
    options.anonymous = false;
    QVERIFY(broker.start(options));
    QVERIFY(writeFile(QStringLiteral("config.ini"), "[Dravolinte]\nVersion=3\nIP=127.0.0.241\n"));
    Config config(QDir::currentPath());
    QCOMPARE(config.settingsFileName(), QDir::current().absoluteFilePath(QStringLiteral("config.ini")));
    QWindow main;
    QString first;
    for (int start = 0; start < 2; ++start) {
        mqttMessage mqtt; // a new start of the program
        QVERIFY(AdFeed::start(mqtt, config, &main));
        const QString kept = QSettings(QStringLiteral("config.ini"), QSettings::IniFormat).value("MQTT/ClientId").toString();
        QVERIFY(kept.startsWith(QStringLiteral("Dravolinte-")));
        if (start == 0)
            first = kept;
        QCOMPARE(kept, first);
        QVERIFY(mqtt.adWindow() && mqtt.adWindow()->followedWindow() == &main);
        QCOMPARE(mqtt.adTopic(), QStringLiteral("planning_ad"));
        delete mqtt.adWindow();
    }
    QCOMPARE(broker.count(QStringLiteral("as %1 (p2, c0, k60, u'admin')").arg(first)), 2);
    QCOMPARE(broker.count(QStringLiteral("\tplanning_ad (QoS 1)")), 2);
    // The store's own writes keep the key.
    config.setProperty(Config::CPT_IP, QStringLiteral("127.0.0.242"));
    QCOMPARE(QSettings(QStringLiteral("config.ini"), QSettings::IniFormat).value("MQTT/ClientId").toString(), first);
}

void TestAdFeed::noBrokerNoCarousel()
{
    QVERIFY(writeFile(QStringLiteral("config.ini"), "[Dravolinte]\nVersion=3\nIP=127.0.0.243\n"));
    Config config(QDir::currentPath());
    mqttMessage mqtt;
    QVERIFY(!AdFeed::start(mqtt, config, nullptr));
    QVERIFY(!mqtt.adWindow());
    // The id is kept all the same: the next start asks under it.
    QCOMPARE(QSettings(QStringLiteral("config.ini"), QSettings::IniFormat).value("MQTT/ClientId").toString(), mqtt.clientId());
}

DRAVO_GUI_TEST_MAIN(TestAdFeed)
#include "tst_adfeed.moc"
