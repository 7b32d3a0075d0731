#include "calibration/CalWorkFiles.h"

#include "common/AppFolder.h"
#include "common/Cp932File.h"
#include "common/DateTime.h"
#include "recording/HistoryLines.h"

#include <array>

namespace qemra {

namespace {

const std::array<HistoryColumn, 12> kLogColumns = {{
    {"風速", "m/s.", &TMesData::M01},
    {"気温", "℃", &TMesData::C11},
    {"温度差", "℃", &TMesData::C32},
    {"風速(RAW)", "m/s.", &TMesData::C01},
    {"AT-1", "℃", &TMesData::C21},
    {"AT-2", "℃", &TMesData::C22},
    {"WDT-1", "℃", &TMesData::C16},
    {"WDT-2", "℃", &TMesData::C17},
    {"BGT-1", "℃", &TMesData::C26},
    {"BGT-2", "℃", &TMesData::C27},
    {"BBT-1", "℃", &TMesData::C76},
    {"BBT-2", "℃", &TMesData::C77},
}};

}  // namespace

QString CalBaseName(const QString& baseFolder, const TWritePrm& prm)
{
    return WithTrailingSlash(baseFolder) + prm.SerialNo + FormatDateTime(QStringLiteral("_yymmddhhnn"), prm.CalStart);
}

bool SerialNumberFitsFileName(const QString& serialNumber)
{
    static const QString kForbidden = QStringLiteral("\\/:*?\"<>|");
    // Blanks at either end vanish or confuse on the systems the files travel to, and a leading "-"
    // reads as an option to the tools that handle them.
    if (!serialNumber.isEmpty() &&
        (serialNumber.front().isSpace() || serialNumber.back().isSpace() || serialNumber.front() == u'-'))
        return false;
    for (qsizetype i = 0; i < serialNumber.size(); ++i) {
        const QChar unit = serialNumber[i];
        char32_t c = unit.unicode();
        if (unit.isHighSurrogate() && i + 1 < serialNumber.size() && serialNumber[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(unit, serialNumber[++i]);
        else if (unit.isSurrogate())
            return false;  // half a character has no bytes in a file name
        // Format characters are invisible: U+202E turns the shown name around to fake an extension.
        const QChar::Category category = QChar::category(c);
        if (c < 0x20 || c == 0x7F || kForbidden.contains(unit) || category == QChar::Other_Control ||
            category == QChar::Other_Format)
            return false;
    }
    return true;
}

QStringList WorkLogLines(const TMesHistory& history) { return HistoryLines(history, kLogColumns); }

bool WriteWorkLog(const QString& baseFolder, const TWritePrm& prm, const TMesHistory& history, const QString& suffix,
                  QString* errorText)
{
    const QString path = CalBaseName(baseFolder, prm) + suffix;
    // A serial number with a path separator or ".." would place the file elsewhere; such names
    // fail the way the file system refuses them where the logs are read.
    if (!SerialNumberFitsFileName(prm.SerialNo) || !WriteCp932Lines(path, WorkLogLines(history))) {
        if (errorText)
            *errorText = QStringLiteral("Cannot create file \"%1\".").arg(path);
        return false;
    }
    return true;
}

bool SaveCalWorkFile(const QString& baseFolder, const TWritePrm& prm)
{
    if (!SerialNumberFitsFileName(prm.SerialNo))
        return false;
    return SaveParameterFile(prm, CalBaseName(baseFolder, prm) + QStringLiteral(".qemra"));
}

}  // namespace qemra
