#pragma once

#include <QString>

namespace qemra {

// "Publish.ini" in the data folder `baseFolder` (ending with "/").
QString PublishIniPath(const QString& baseFolder);

// One warning line when the settings file at `iniPath` holds a broker password ([Mqtt] Password)
// and group or others may read it, as ssh warns of a readable key; empty otherwise.
QString ReadableSecretWarning(const QString& iniPath);

}  // namespace qemra
