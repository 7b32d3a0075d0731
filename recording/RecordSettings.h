#pragma once

#include "acquisition/Records.h"

#include <QString>

namespace qemra {

// Second recording is the one recording setting kept across runs: "SecRec" in section "Record"
// of "BaseSetpoint.ini". Failures are silent; a failed load leaves it off.
inline const QString kRecordSection = QStringLiteral("Record");
inline const QString kSecRecKey = QStringLiteral("SecRec");

// SecRec of the status record := the entry ("1" on, any other non-zero integer on too; absent
// or not an integer: off). Other sections and keys are not touched.
void LoadRecordSettings(const QString& path, TMySts& status);
// Writes "1" or "0"; creates the file or section when missing, leaves every other line alone.
void SaveRecordSettings(const QString& path, const TMySts& status);

}  // namespace qemra
