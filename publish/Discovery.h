#pragma once

#include "acquisition/Records.h"
#include "publish/PublishSettings.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace qemra {

// What the instrument says of itself, for the automation system's device entry; empty while the
// instrument has not answered.
struct DeviceInfo {
    QString model;      // from S00
    QString swVersion;  // from S01
    bool operator==(const DeviceInfo&) const = default;
};

DeviceInfo DeviceOf(const TMesData& values);

struct DiscoveryMessage {
    QByteArray topic;
    QByteArray payload;
};

// The client id as a node id of the discovery topics: every character other than an ASCII letter,
// digit, "_" or "-" becomes "_".
QString DiscoveryNodeId(const QString& clientId);

// Home Assistant MQTT discovery: one retained configuration message per live quantity on
// DISCOVERY/sensor/NODE/QUANTITY/config, so each sensor is set up without the user's hand. None
// while settings.Discovery is empty.
std::vector<DiscoveryMessage> DiscoveryMessages(const PublishSettings& settings, const DeviceInfo& device);

}  // namespace qemra
