#include "recording/HistoryExport.h"

#include "common/Cp932File.h"
#include "common/FileReplace.h"
#include "recording/HistoryLines.h"


namespace qemra {

namespace {

constexpr HistoryColumn kGraphData[] = {
    {"風速", "m/s.", &TMesData::M01},     {"気温", "℃", &TMesData::M11},     {"湿度", "%", &TMesData::M12},
    {"輻射熱", "℃", &TMesData::M04},      {"METs", " ", &TMesData::M55},     {"clo", " ", &TMesData::H51},
    {"PMV", " ", &TMesData::M53},         {"WBGTo", "℃", &TMesData::M51},    {"WBGTi", "℃", &TMesData::M52},
    {"絶対湿度", "g/kg", &TMesData::M21}, {"露点温度", "℃", &TMesData::M22}, {"湿球温度", "℃", &TMesData::M23},
};

// The wind direction column has carried the unit "m/s." from the start; readers of these files
// know it by that header.
constexpr HistoryColumn kShortLog[] = {
    {"風速", "m/s.", &TMesData::M01},      {"気温", "℃", &TMesData::M11},
    {"湿度", "%", &TMesData::M12},         {"輻射熱", "℃", &TMesData::M04},
    {"METs", " ", &TMesData::M55},         {"PMV", " ", &TMesData::M53},
    {"WBGTo", "℃", &TMesData::M51},        {"WBGTi", "℃", &TMesData::M52},
    {"絶対湿度", "g/kg", &TMesData::M21},  {"露点温度", "℃", &TMesData::M22},
    {"湿球温度", "℃", &TMesData::M23},     {"風向", "m/s.", &TMesData::M05},
    {"気温１", "℃", &TMesData::C21},       {"気温２", "℃", &TMesData::C22},
    {"WDS温度１", "℃", &TMesData::C16},    {"WDS温度２", "℃", &TMesData::C17},
    {"BGT温度１", "℃", &TMesData::C26},    {"BGT温度２", "℃", &TMesData::C27},
    {"BB温度１", "℃", &TMesData::C76},     {"BB温度２", "℃", &TMesData::C77},
    {"BB温度３", "℃", &TMesData::C78},     {"SHT気温", "℃", &TMesData::C71},
    {"SHT湿度", "%", &TMesData::C72},      {"風速(補正前)", "m/s.", &TMesData::C01},
    {"気温(内部用)", "℃", &TMesData::C11}, {"プローブ温度", "℃", &TMesData::C12},
    {"温度差", "℃", &TMesData::C32},       {"CPU使用率", "%", &TMesData::C50},
    {"電源電圧", "V", &TMesData::C51},     {"AD変換回数", "/s.", nullptr},
    {"DA出力値", "V", &TMesData::C53},
};

// Replaces the file only once the whole text is safely written, so a failed export leaves the old
// file. A folder that allows writing the file but not creating a temporary one beside it is written
// in place, as it could be before.
bool WriteWhole(const QString& path, const QStringList& lines, QString* errorText, FileIo& io)
{
    FileWriteError error;
    if (ReplaceFile(path, Cp932Lines(lines), io, WhenNoTemporaryFile::RewriteInPlace, &error))
        return true;
    if (errorText) {
        *errorText = (error.opening ? QStringLiteral("Cannot create file \"%1\". %2")
                                    : QStringLiteral("Cannot write file \"%1\". %2"))
                         .arg(path, error.Text());
    }
    return false;
}

}  // namespace

QStringList GraphDataLines(const TMesHistory& history, QChar decimalSeparator)
{
    return HistoryLines(history, kGraphData, decimalSeparator);
}

QStringList ShortLogLines(const TMesHistory& history, QChar decimalSeparator)
{
    return HistoryLines(history, kShortLog, decimalSeparator);
}

bool WriteGraphData(const TMesHistory& history, const QString& path, QString* errorText, QChar decimalSeparator)
{
    FileIo io;
    return WriteGraphData(history, path, errorText, decimalSeparator, io);
}

bool WriteShortLog(const TMesHistory& history, const QString& path, QString* errorText, QChar decimalSeparator)
{
    FileIo io;
    return WriteShortLog(history, path, errorText, decimalSeparator, io);
}

bool WriteGraphData(const TMesHistory& history, const QString& path, QString* errorText, QChar decimalSeparator,
                    FileIo& io)
{
    return WriteWhole(path, GraphDataLines(history, decimalSeparator), errorText, io);
}

bool WriteShortLog(const TMesHistory& history, const QString& path, QString* errorText, QChar decimalSeparator,
                   FileIo& io)
{
    return WriteWhole(path, ShortLogLines(history, decimalSeparator), errorText, io);
}

FileDialogOptions HistoryExporter::SaveDlgOptions(const QString& folder)
{
    FileDialogOptions options;
    options.directory = folder;
    options.filter = QStringLiteral("CSV File (*.csv)");
    options.defaultSuffix = QStringLiteral("csv");
    options.confirmOverwrite = true;
    return options;
}

void HistoryExporter::SaveGraphData() { Export(&WriteGraphData); }

void HistoryExporter::BBSaveFileClick() { Export(&WriteShortLog); }

void HistoryExporter::Export(Writer write)
{
    const QString path = prompts_.SaveFileName(SaveDlgOptions(folder_));
    if (path.isEmpty())
        return;
    // The ring is read after the dialog has closed, so what was pushed meanwhile is included.
    QString error;
    if (!write(history_, path, &error, kDecimalPoint))
        prompts_.Error(error);
}

}  // namespace qemra
