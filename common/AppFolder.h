#pragma once

#include <QString>

namespace qemra {

// The folder of the running executable, ending with "/". Files "next to the executable" are
// resolved against a base folder handed to each object; the program passes this one.
QString ExecutableFolder();

// The parameter defaults a calibration starts from: "DefaultPrm.qemra" in the base folder.
QString DefaultParameterFilePath(const QString& baseFolder);

// Appends "/" when missing.
QString WithTrailingSlash(const QString& folder);

}  // namespace qemra
