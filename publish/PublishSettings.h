#pragma once

#include <QString>

namespace qemra {

// Where and how the station publishes: section [Mqtt] of "Publish.ini".
struct PublishSettings {
    QString Host;         // empty: publishing off
    int Port = 1883;      // 8883 by default once CaFile is set
    QString TopicPrefix;  // every topic is TopicPrefix + "/" + name; no "/" at its end
    QString ClientId;
    QString Username, Password;
    QString CaFile, CertFile, KeyFile;
    int KeepAlive = 30;  // seconds
    QString Discovery;   // Home Assistant discovery prefix ("homeassistant"); empty: no discovery

    bool Enabled() const { return !Host.isEmpty(); }
    bool Tls() const { return !CaFile.isEmpty(); }
    QString Topic(const QString& name) const { return TopicPrefix + u'/' + name; }
    QString Address() const { return Host + u':' + QString::number(Port); }  // "host:port" for texts
};

inline const QString kPublishSection = QStringLiteral("Mqtt");

// Reads [Mqtt] of `iniPath` (a missing file or key takes its default). `portFileBase` is the port
// settings file's name without ".ini" ("Port0"); the station's host name comes from the system.
PublishSettings LoadPublishSettings(const QString& iniPath, const QString& portFileBase);
// The same with the host name given, as the default topic prefix and client id are built from it.
PublishSettings LoadPublishSettings(const QString& iniPath, const QString& portFileBase, const QString& hostName);

}  // namespace qemra
