#pragma once

#include "acquisition/SharedState.h"
#include "common/FileIo.h"
#include "report/CalReport.h"
#include "calibration/CalStatistics.h"
#include "parameters/ParameterSet.h"

#include <QCoreApplication>
#include <QMap>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace qemra {

class Clock;
class Prompts;

// The certificate of one calibration run. It keeps what the start sent as defaults and, for each
// stage, the values sent, the statistics and the readings at the moment the operator confirmed
// it; at "作業完了" it writes them beside the work logs as CalBaseName + "_Report.pdf".
class CalReportRecorder {
    Q_DECLARE_TR_FUNCTIONS(CalReportRecorder)

public:
    // The four confirmations, in the procedure's order.
    enum Stage { kTemperatures, kWindTemperatures, kZero, kReference, kStageCount };

    CalReportRecorder(const SharedState& state, const TWritePrm& prm, const CalStats& stats, const Clock& clock,
                      Prompts& prompts, QString baseFolder);
    CalReportRecorder(const CalReportRecorder&) = delete;
    CalReportRecorder& operator=(const CalReportRecorder&) = delete;

    // A new run, from the defaults the start has just loaded.
    void Started();
    // A confirmation or the zeroing has sent its values and set `step`. `referenceTemperature` is
    // the reference instrument's reading when the temperature corrections were taken from it.
    void StageDone(std::int32_t step, std::optional<double> referenceTemperature = std::nullopt);

    // The certificate as it stands, finished now.
    CalReport Report() const;
    // Writes the certificate through a temporary file. When it cannot be written (nor named by the
    // serial number) the file error box the work logs show, an older certificate stays, and false.
    bool WriteReport();

    // The system calls the file goes through; tests make them fail.
    void UseFileIo(FileIo& io) { io_ = &io; }

    static QString ReportPath(const QString& baseFolder, const TWritePrm& prm);

private:
    // One snapshot of the ring: seconds relative to the confirmation and the channels' values.
    struct Reading {
        double Seconds = 0;
        std::array<float, kCalChannelCount> Values{};
    };
    struct StageRecord {
        bool Confirmed = false;
        TDateTime At = 0;
        std::array<double, kCalChannelCount> Max{};
        std::array<double, kCalChannelCount> Avg{};
        std::array<double, kCalChannelCount> Min{};
        std::vector<Reading> Readings;  // oldest first
    };

    void Capture(Stage stage);
    CalReportStage StageReport(Stage stage) const;
    QString ReferenceTemperatureText() const;

    const SharedState& state_;
    const TWritePrm& prm_;
    const CalStats& stats_;
    const Clock& clock_;
    Prompts& prompts_;
    QString baseFolder_;
    FileIo systemIo_;
    FileIo* io_ = &systemIo_;

    QMap<QString, QString> before_;  // key -> value text sent with the defaults
    QMap<QString, QString> after_;   // key -> value text sent by the last confirmation
    std::array<StageRecord, kStageCount> stages_{};
    std::optional<double> referenceTemperature_;
    double sensorReference_ = 0;  // the sensors' mean the computed temperature corrections refer to
};

}  // namespace qemra
