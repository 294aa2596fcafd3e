#include "app/upgrades/AdFeed.h"

#include "configuration/Config.h"
#include "online/mqtt/mqttMessage.h"

#include <QDebug>
#include <QSettings>

namespace {
// The service's built-in account.
const QString kUser = QStringLiteral("admin");
const QString kPassword = QStringLiteral("mivo@7351");
} // namespace

bool AdFeed::start(mqttMessage &mqtt, const Config &config, QWindow *window)
{
    const QString file = config.settingsFileName();
    if (!file.isEmpty()) {
        QSettings settings(file, QSettings::IniFormat);
        if (settings.contains(QLatin1String(kClientIdKey)))
            settings.remove(QLatin1String(kClientIdKey));
    }
    mqttSetting setting;
    setting.host = config.getProperty(Config::CPT_IP).toString();
    setting.port = kPort;
    setting.username = kUser;
    setting.password = kPassword;
    const bool connected = mqtt.connectToServer(setting);
    if (!connected) {
        qCritical().noquote() << "DravolinteApp::initApp::<lambda_1>::operator ()" << "connectToServer failed";
        return false;
    }
    mqtt.showAD(QString::fromLatin1(kTopic), window);
    return true;
}
