#pragma once

#include <QString>

namespace qemra {

// Where and how the station publishes: section [Mqtt] of "Publish.ini".
struct PublishSettings {
    QString Host;         // empty: publishing off
    int Port = 1883;      // 8883 by default once TLS is on
    QString TopicPrefix;  // every topic is TopicPrefix + "/" + name; no "/" at its end
    QString ClientId;
    QString Username, Password;
    QString CaFile, CertFile, KeyFile;
    int KeepAlive = 30;  // seconds
    // Why the file or one of its values cannot be used ("Publish.ini: Port=abc: ..."): publishing
    // stays off and this is said once. Empty when the settings hold.
    QString Problem;
    QString Discovery;   // Home Assistant discovery prefix ("homeassistant"); empty: no discovery

    bool Enabled() const { return !Host.isEmpty() && Problem.isEmpty(); }
    // TLS is on with any of its files; without a CA file the system's CA store verifies the broker.
    bool Tls() const { return !CaFile.isEmpty() || !CertFile.isEmpty() || !KeyFile.isEmpty(); }
    QString Topic(const QString& name) const { return TopicPrefix + u'/' + name; }
    QString Address() const { return Host + u':' + QString::number(Port); }  // "host:port" for texts
};

inline const QString kPublishSection = QStringLiteral("Mqtt");

// The limits a value of [Mqtt] must keep.
inline constexpr int kLongestTopicPrefix = 200;
inline constexpr int kShortestKeepAlive = 5;
inline constexpr int kLongestKeepAlive = 3600;

// Reads [Mqtt] of `iniPath` (a missing file or key takes its default). `portName` is the serial
// port's path ("/dev/ttyUSB0"): the default topic prefix takes its last part, so each instrument
// of a host has its own; the station's host name comes from the system.
PublishSettings LoadPublishSettings(const QString& iniPath, const QString& portName);
// The same with the host name given, as the default topic prefix and client id are built from it.
PublishSettings LoadPublishSettings(const QString& iniPath, const QString& portName, const QString& hostName);

}  // namespace qemra
