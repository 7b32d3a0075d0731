#include "publish/Discovery.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <array>
#include <cmath>

namespace qemra {

namespace {

struct Quantity {
    const char* key;          // as in the live payload
    const char* name;         // the sensor's name in the automation system
    const char* unit;         // null: none
    const char* deviceClass;  // null: none fits
};

constexpr std::array<Quantity, 12> kQuantities{{
    {"pmv", "PMV", nullptr, nullptr},
    {"wbgt_in", "WBGT indoor", "°C", "temperature"},
    {"wbgt_out", "WBGT outdoor", "°C", "temperature"},
    {"air_temp", "Air temperature", "°C", "temperature"},
    {"radiant_temp", "Radiant temperature", "°C", "temperature"},
    {"dew_point", "Dew point", "°C", "temperature"},
    {"rh", "Relative humidity", "%", "humidity"},
    {"abs_humidity", "Absolute humidity", "g/m³", nullptr},
    {"wet_bulb", "Wet-bulb temperature", "°C", "temperature"},
    {"wind", "Wind speed", "m/s", "wind_speed"},
    {"mets", "Metabolic rate", "met", nullptr},
    {"clo", "Clothing insulation", "clo", nullptr},
}};

// The live payload sends a sensor's value at least every second; a station silent for this long
// is shown as unavailable.
constexpr int kExpireAfterSeconds = 30;

QString TwoDecimals(float value) { return QString::number(static_cast<double>(value), 'f', 2); }

}  // namespace

DeviceInfo DeviceOf(const TMesData& values)
{
    // Both start at 0 and no instrument reports 0 for either.
    DeviceInfo device;
    if (values.S00 != 0 && std::isfinite(values.S00))
        device.model = TwoDecimals(values.S00);
    if (values.S01 != 0 && std::isfinite(values.S01))
        device.swVersion = TwoDecimals(values.S01);
    return device;
}

QString DiscoveryNodeId(const QString& clientId)
{
    QString node = clientId;
    for (QChar& c : node) {
        const char16_t u = c.unicode();
        const bool kept =
            (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') || u == u'_' || u == u'-';
        if (!kept)
            c = u'_';
    }
    return node;
}

std::vector<DiscoveryMessage> DiscoveryMessages(const PublishSettings& settings, const DeviceInfo& device)
{
    std::vector<DiscoveryMessage> messages;
    if (settings.Discovery.isEmpty())
        return messages;
    const QString node = DiscoveryNodeId(settings.ClientId);

    QJsonObject deviceObject{{"identifiers", QJsonArray{node}}, {"name", settings.TopicPrefix}};
    if (!device.model.isEmpty())
        deviceObject.insert("model", device.model);
    if (!device.swVersion.isEmpty())
        deviceObject.insert("sw_version", device.swVersion);

    for (const Quantity& quantity : kQuantities) {
        const QString key = QString::fromLatin1(quantity.key);
        QJsonObject config{
            {"name", QString::fromUtf8(quantity.name)},
            {"unique_id", node + u'_' + key},
            {"state_topic", settings.Topic(QStringLiteral("live"))},
            {"value_template", QStringLiteral("{{ value_json.%1 }}").arg(key)},
            {"state_class", "measurement"},
            {"availability_topic", settings.Topic(QStringLiteral("status"))},
            {"payload_available", "online"},
            {"payload_not_available", "offline"},
            {"expire_after", kExpireAfterSeconds},
            {"device", deviceObject},
        };
        if (quantity.unit != nullptr)
            config.insert("unit_of_measurement", QString::fromUtf8(quantity.unit));
        if (quantity.deviceClass != nullptr)
            config.insert("device_class", QString::fromLatin1(quantity.deviceClass));
        messages.push_back(
            {(settings.Discovery + QStringLiteral("/sensor/") + node + u'/' + key + QStringLiteral("/config")).toUtf8(),
             QJsonDocument(config).toJson(QJsonDocument::Compact)});
    }
    return messages;
}

}  // namespace qemra
