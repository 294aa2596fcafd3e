#pragma once

#include <QtGlobal>

class Config;
class QWindow;
class mqttMessage;

// The advertising feed at start-up: the MQTT link to the service host
// (CPT_IP, port 1883) with the built-in account, then the carousel on
// "planning_ad" over the main window. The client id is generated once and
// kept in the working settings file: the broker keeps the session of an id,
// and a new id per start would leave one more behind each time. When the
// broker does not take the link, that is logged and nothing is tried again.
namespace AdFeed {

constexpr quint16 kPort = 1883;
constexpr const char *kTopic = "planning_ad";
constexpr const char *kClientIdKey = "MQTT/ClientId";

// True when connected (the carousel is then asked for).
bool start(mqttMessage &mqtt, const Config &config, QWindow *window);

} // namespace AdFeed
