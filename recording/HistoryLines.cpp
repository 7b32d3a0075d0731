#include "recording/HistoryLines.h"

#include "common/DateTime.h"
#include "common/FloatText.h"
#include "common/NumberText.h"

namespace qemra {

QStringList HistoryLines(const TMesHistory& history, std::span<const HistoryColumn> columns, QChar decimalSeparator)
{
    QString labels = QStringLiteral(",");
    QString units = QStringLiteral(",");
    for (const HistoryColumn& column : columns) {
        labels += QString::fromUtf8(column.label) + u',';
        units += QString::fromUtf8(column.unit) + u',';
    }
    QStringList lines{labels, units};
    for (int age = TMesHistory::kSlots - 1; age >= 1; --age) {
        const TMesData& slot = history[age];
        if (slot.Stamp == 0)
            continue;
        QString line = FormatDateTime(QStringLiteral("yyyy/mm/dd hh:nn:ss"), slot.Stamp) + u',';
        for (const HistoryColumn& column : columns) {
            const double value = column.field ? double(slot.*column.field) : double(slot.C52);
            line += GeneralFloatText(value, kRecordFileExponentBelow, decimalSeparator) + u',';
        }
        lines.append(line);
    }
    return lines;
}

}  // namespace qemra
