#pragma once

#include "acquisition/Records.h"
#include "parameters/ParameterSet.h"

#include <QString>
#include <QStringList>

namespace qemra {

// The base folder, the serial number and the start time "_yymmddhhnn": the common start of every
// file one calibration run leaves.
QString CalBaseName(const QString& baseFolder, const TWritePrm& prm);

// False when the serial number holds a character that no file name may carry on any platform the
// work files travel to (\ / : * ? " < > |, control characters, invisible format characters such
// as U+202E, a lone surrogate), or starts or ends with a blank or starts with "-"; such a name is
// never written.
bool SerialNumberFitsFileName(const QString& serialNumber);

// The work log of the history as it stands: two header lines, then every stamped slot from the
// oldest to slot 1.
QStringList WorkLogLines(const TMesHistory& history);

// Writes the work log CalBaseName + suffix, replacing an older one only once the new one is whole.
// False, with the text of the file error, when the name is not allowed or the file cannot be written.
bool WriteWorkLog(const QString& baseFolder, const TWritePrm& prm, const TMesHistory& history, const QString& suffix,
                  QString* errorText = nullptr);

// Saves the parameter set as the calibration work file CalBaseName + ".qemra"; a serial number that
// is not allowed in a file name saves nothing. Reports nothing, as parameter files never do.
bool SaveCalWorkFile(const QString& baseFolder, const TWritePrm& prm);

}  // namespace qemra
