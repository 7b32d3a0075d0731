#pragma once

#include "acquisition/Records.h"
#include "common/FileIo.h"
#include "common/NumberText.h"
#include "common/Prompts.h"

#include <QChar>
#include <QString>
#include <QStringList>

#include <utility>

namespace qemra {

// The two exports of the history ring as CSV (CP932, CR LF): a label line, a unit line, then one
// line per filled slot from the oldest up to slot 1; the newest slot 0 is left out.
// The graph data: the twelve main quantities. The short log: the main quantities without clo and
// twenty internal ones.
QStringList GraphDataLines(const TMesHistory& history, QChar decimalSeparator = kDecimalPoint);
QStringList ShortLogLines(const TMesHistory& history, QChar decimalSeparator = kDecimalPoint);

// Write the export as the whole file. On failure `errorText` (when given) holds the system's
// reason and the old file stays byte for byte; a writable file in a folder that takes no new files
// is rewritten in place, its old text put back should that fail.
bool WriteGraphData(const TMesHistory& history, const QString& path, QString* errorText,
                    QChar decimalSeparator = kDecimalPoint);
bool WriteShortLog(const TMesHistory& history, const QString& path, QString* errorText,
                   QChar decimalSeparator = kDecimalPoint);
bool WriteGraphData(const TMesHistory& history, const QString& path, QString* errorText, QChar decimalSeparator,
                    FileIo& io);
bool WriteShortLog(const TMesHistory& history, const QString& path, QString* errorText, QChar decimalSeparator,
                   FileIo& io);

// The save dialog and the two export commands of the monitor window; a failure is shown as an
// error message.
class HistoryExporter {
public:
    // The save dialogs open in `folder` (the data folder; empty: the working folder).
    HistoryExporter(Prompts& prompts, const TMesHistory& history, QString folder = QString())
        : prompts_(prompts), history_(history), folder_(std::move(folder))
    {
    }

    static FileDialogOptions SaveDlgOptions(const QString& folder = QString());

    void SaveGraphData();
    void BBSaveFileClick();

private:
    using Writer = bool (*)(const TMesHistory&, const QString&, QString*, QChar);
    void Export(Writer write);

    Prompts& prompts_;
    const TMesHistory& history_;
    QString folder_;
};

}  // namespace qemra
