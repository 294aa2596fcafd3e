#include "online/carousel/CarouselImageWindow.h"
#include "configuration/Config.h"
#include "tests/support/online/MqttBroker.h"
#include "online/mqtt/MqttClientId.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestMain.h"
#include "app/upgrades/AdFeed.h"
#include "online/mqtt/mqttMessage.h"

#include <QApplication>
#include <QSettings>
#include <QWindow>

// The start of the advertising feed against a broker with the service's
// account rules: the built-in account, the client id of this machine (the
// same at every start, never in the settings file, where an earlier version
// kept one that a copied folder carries to another machine), the carousel
// over the given window; no broker, no carousel.
class TestAdFeed : public QObject
{
    Q_OBJECT
private slots:
    void clientIdOfThisMachine();
    void noBrokerNoCarousel();
};

void TestAdFeed::clientIdOfThisMachine()
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
    // As a folder copied from another machine brings it.
    QVERIFY(writeFile(QStringLiteral("config.ini"), "[Dravolinte]\nVersion=3\nIP=127.0.0.241\n\n[MQTT]\nClientId=Dravolinte-travelled\n"));
    Config config(QDir::currentPath());
    QCOMPARE(config.settingsFileName(), QDir::current().absoluteFilePath(QStringLiteral("config.ini")));
    QWindow main;
    const QString id = MqttClientId::forThisMachine();
    for (int start = 0; start < 2; ++start) {
        mqttMessage mqtt; // a new start of the program
        QVERIFY(AdFeed::start(mqtt, config, &main));
        QCOMPARE(mqtt.clientId(), id);
        QVERIFY(!readAll(QStringLiteral("config.ini")).contains("MQTT"));
        QVERIFY(mqtt.adWindow() && mqtt.adWindow()->followedWindow() == &main);
        QCOMPARE(mqtt.adTopic(), QStringLiteral("planning_ad"));
        delete mqtt.adWindow();
    }
    QCOMPARE(broker.count(QStringLiteral("as %1 (p2, c0, k60, u'admin')").arg(id)), 2);
    QCOMPARE(broker.count(QStringLiteral("Dravolinte-travelled")), 0);
    QCOMPARE(broker.count(QStringLiteral("\tplanning_ad (QoS 1)")), 2);
    // The store's own writes do not bring it back.
    config.setProperty(Config::CPT_IP, QStringLiteral("127.0.0.242"));
    QVERIFY(!readAll(QStringLiteral("config.ini")).contains("MQTT"));
}

void TestAdFeed::noBrokerNoCarousel()
{
    QVERIFY(writeFile(QStringLiteral("config.ini"), "[Dravolinte]\nVersion=3\nIP=127.0.0.243\n"));
    Config config(QDir::currentPath());
    mqttMessage mqtt;
    QVERIFY(!AdFeed::start(mqtt, config, nullptr));
    QVERIFY(!mqtt.adWindow());
    QVERIFY(!readAll(QStringLiteral("config.ini")).contains("MQTT"));
}

DRAVO_GUI_TEST_MAIN(TestAdFeed)
#include "tst_adfeed.moc"
