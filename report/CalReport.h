#pragma once

#include <QPointF>
#include <QString>
#include <QStringList>
#include <vector>

namespace qemra {

// The content of a calibration certificate, as finished texts and plot points: the calibration
// gathers and formats it, the page only lays it out.

// One value the calibration writes to the instrument, as its text went on the wire.
struct CalReportValue {
    QString Key;     // "E16"
    QString Label;   // "気温器差-1"
    QString Unit;    // "℃"
    QString Before;  // sent with the defaults at the start; empty when not sent
    QString After;   // sent by the confirmation; empty when not confirmed
};

// Max, average, min and p-p of one channel at the moment a stage was confirmed.
struct CalReportStatistics {
    QString Max;
    QString Avg;
    QString Min;
    QString Spread;
};

// One line of a stage's plot: seconds relative to the confirmation (negative: before it) and values.
struct CalReportTrace {
    QString Label;
    bool RightAxis = false;  // drawn against the right-hand scale
    std::vector<QPointF> Points;
};

// One confirmation of the procedure.
struct CalReportStage {
    QString Name;                           // the confirmation's caption, "温度系器差確定"
    QString ConfirmedAt;                    // "hh:nn:ss"; empty while the stage is not confirmed
    std::vector<CalReportStatistics> Rows;  // one per channel of CalReport::Channels; empty when not confirmed
    std::vector<int> Confirms;              // the channels whose values this stage sets
    QString LeftUnit;
    QString RightUnit;
    std::vector<CalReportTrace> Traces;
};

struct CalReport {
    QString SerialNo;
    QString Model;    // S00 as the instrument reported it
    QString Version;  // S01
    QString Started;  // "yyyy/mm/dd hh:nn:ss"
    QString Finished;
    QString Program;   // name and version
    QString FileName;  // the report's own file name, printed in the footer

    QString ReferenceTemperature;  // the reference instrument's value or the rule that was used
    QString ReferenceWindSpeed;    // AdjWS
    QString Tolerance;

    std::vector<CalReportValue> Values;
    QStringList Channels;  // labels of the statistics rows
    std::vector<CalReportStage> Stages;

    // The wind check at the finish: the averages, their deviations from AdjWS and the verdict.
    QString Average5;
    QString Average15;
    QString Deviation5;
    QString Deviation15;
    bool Passed = false;
};

}  // namespace qemra
