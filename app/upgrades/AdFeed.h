#pragma once

#include <QtGlobal>

class Config;
class QWindow;
class mqttMessage;

// The advertising feed at start-up: the MQTT link to the service host
// (CPT_IP, port 1883) with the built-in account, then the carousel on
// "planning_ad" over the main window. The client id is the link's own
// (stable per machine, never stored): an id kept in the settings file by an
// earlier version would travel with a copied program folder, and two machines
// under one id throw each other off the broker, so such a key is removed.
// When the broker does not take the link, that is logged and nothing is tried
// again.
namespace AdFeed {

constexpr quint16 kPort = 1883;
constexpr const char *kTopic = "planning_ad";
// Where an earlier version kept the client id.
constexpr const char *kClientIdKey = "MQTT/ClientId";

// True when connected (the carousel is then asked for).
bool start(mqttMessage &mqtt, const Config &config, QWindow *window);

} // namespace AdFeed
