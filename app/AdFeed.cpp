#include "AdFeed.h"

#include "Config.h"
#include "mqttMessage.h"

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
    QString kept;
    if (!file.isEmpty())
        kept = QSettings(file, QSettings::IniFormat).value(QLatin1String(kClientIdKey)).toString();
    mqttSetting setting;
    setting.host = config.getProperty(Config::CPT_IP).toString();
    setting.port = kPort;
    setting.username = kUser;
    setting.password = kPassword;
    setting.clientId = kept;
    const bool connected = mqtt.connectToServer(setting);
    if (!file.isEmpty() && !setting.clientId.isEmpty() && setting.clientId != kept) {
        QSettings settings(file, QSettings::IniFormat);
        settings.setValue(QLatin1String(kClientIdKey), setting.clientId);
    }
    if (!connected) {
        qCritical().noquote() << "DravolinteApp::initApp::<lambda_1>::operator ()" << "connectToServer failed";
        return false;
    }
    mqtt.showAD(QString::fromLatin1(kTopic), window);
    return true;
}
