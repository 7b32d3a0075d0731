#include "calibration/CalReportRecorder.h"

#include "common/DateTime.h"
#include "common/FileReplace.h"
#include "common/NumberText.h"
#include "common/Prompts.h"
#include "report/CalReportPdf.h"
#include "calibration/CalWorkFiles.h"
#include "calibration/CalWriteBack.h"

#include <QFileInfo>
#include <cmath>

namespace qemra {

namespace {

constexpr double kSecondsPerDay = 86400.0;

// The values the calibration writes, in the order the certificate lists them.
struct WrittenValue {
    const char* Key;
    const char* Label;  // before translation
    const char* Unit;
};
const std::array<WrittenValue, 11> kWrittenValues = {{
    {"E16", QT_TRANSLATE_NOOP("CalReportRecorder", "気温器差-1"), "℃"},
    {"E17", QT_TRANSLATE_NOOP("CalReportRecorder", "気温器差-2"), "℃"},
    {"E21", QT_TRANSLATE_NOOP("CalReportRecorder", "器差-黒球1"), "℃"},
    {"E22", QT_TRANSLATE_NOOP("CalReportRecorder", "器差-黒球2"), "℃"},
    {"E26", QT_TRANSLATE_NOOP("CalReportRecorder", "器差-基板1"), "℃"},
    {"E27", QT_TRANSLATE_NOOP("CalReportRecorder", "器差-基板2"), "℃"},
    {"E12", QT_TRANSLATE_NOOP("CalReportRecorder", "風速器差-1"), "℃"},
    {"E13", QT_TRANSLATE_NOOP("CalReportRecorder", "風速器差-2"), "℃"},
    {"E01", QT_TRANSLATE_NOOP("CalReportRecorder", "0m/s.時温度差"), "℃"},
    {"E03", QT_TRANSLATE_NOOP("CalReportRecorder", "基準時温度差"), "℃"},
    {"E02", QT_TRANSLATE_NOOP("CalReportRecorder", "基準風速値"), "m/s"},
}};

// Each confirmation: its caption, the step it sets, and the channels whose values it sets, which
// its plot shows (the wind speed against the right-hand scale).
struct StageLayout {
    const char* Name;  // before translation
    std::int32_t Step;
    std::vector<int> Channels;
};
const std::array<StageLayout, CalReportRecorder::kStageCount> kStages = {{
    {QT_TRANSLATE_NOOP("CalReportRecorder", "温度系器差確定"), 6, {kChAT1, kChAT2, kChBGT1, kChBGT2, kChBBT1, kChBBT2}},
    {QT_TRANSLATE_NOOP("CalReportRecorder", "風速器差確定"), 7, {kChWDT1, kChWDT2}},
    {QT_TRANSLATE_NOOP("CalReportRecorder", "0m/s.調整確定"), 9, {kChDifT, kChWind}},
    {QT_TRANSLATE_NOOP("CalReportRecorder", "Nm/s.調整確定"), 11, {kChDifT, kChWind}},
}};

QString Fixed(const char* format, double value) { return FormatFloat(QString::fromLatin1(format), value); }

// The value texts of a batch as the write-back sends them, by key.
void Remember(QMap<QString, QString>& texts, const std::vector<CalPair>& pairs)
{
    for (const CalPair& pair : pairs)
        texts.insert(pair.Key, pair.Value);
}

QString Deviation(float average, float reference)
{
    if (reference == 0)
        return QString();
    return Fixed("%+1.3f", (double(average) - double(reference)) / double(reference) * 100.0);
}

}  // namespace

CalReportRecorder::CalReportRecorder(const SharedState& state, const TWritePrm& prm, const CalStats& stats,
                                     const Clock& clock, Prompts& prompts, QString baseFolder)
    : state_(state), prm_(prm), stats_(stats), clock_(clock), prompts_(prompts), baseFolder_(std::move(baseFolder))
{
}

QString CalReportRecorder::ReportPath(const QString& baseFolder, const TWritePrm& prm)
{
    return CalBaseName(baseFolder, prm) + QStringLiteral("_Report.pdf");
}

void CalReportRecorder::Started()
{
    before_.clear();
    after_.clear();
    for (int group = 0; group < CalWriteBack::kDefaultGroupCount; ++group)
        Remember(before_, CalWriteBack::DefaultGroupPairs(prm_, group));
    stages_ = {};
    referenceTemperature_.reset();
}

void CalReportRecorder::StageDone(std::int32_t step, std::optional<double> referenceTemperature)
{
    switch (step) {
    case 5:
        // The zeroing takes back whatever the temperature confirmation sent.
        Remember(after_, CalWriteBack::TempRevisionPairs(prm_));
        stages_[kTemperatures] = {};
        referenceTemperature_.reset();
        break;
    case 6:
        Remember(after_, CalWriteBack::TempRevisionPairs(prm_));
        referenceTemperature_ = referenceTemperature;
        // Each computed correction is the reference less the sensor's average.
        sensorReference_ = stats_.WinAvg[kChBGT1] + double(stats_.BGTRevCal0);
        Capture(kTemperatures);
        break;
    case 7:
        Remember(after_, CalWriteBack::WDTRevisionPairs(prm_));
        Capture(kWindTemperatures);
        break;
    case 9:
        Remember(after_, CalWriteBack::ZeroRevisionPairs(prm_));
        Capture(kZero);
        break;
    case 11:
        Remember(after_, CalWriteBack::NmRevisionPairs(prm_));
        Capture(kReference);
        break;
    default:
        break;
    }
}

void CalReportRecorder::Capture(Stage stage)
{
    StageRecord& record = stages_[stage];
    record.Confirmed = true;
    record.At = clock_.Now();
    record.Max = stats_.WinMax;
    record.Avg = stats_.WinAvg;
    record.Min = stats_.WinMin;
    record.Readings.clear();
    // The snapshots a work log taken now would hold: every stamped slot but the newest.
    for (int age = TMesHistory::kSlots - 1; age >= 1; --age) {
        const TMesData& slot = state_.MesHistory[age];
        if (slot.Stamp == 0)
            continue;
        Reading reading;
        reading.Seconds = (slot.Stamp - record.At) * kSecondsPerDay;
        for (std::size_t c = 0; c < CalChannelFields.size(); ++c)
            reading.Values[c] = slot.*CalChannelFields[c];
        record.Readings.push_back(reading);
    }
}

QString CalReportRecorder::ReferenceTemperatureText() const
{
    if (!stages_[kTemperatures].Confirmed)
        return QString();
    if (referenceTemperature_)
        return tr("気温基準器 %1 ℃").arg(Fixed("%1.2f", *referenceTemperature_));
    return tr("素子平均 %1 ℃\n各補正値から 0.35 ℃ 減算").arg(Fixed("%1.3f", sensorReference_));
}

CalReportStage CalReportRecorder::StageReport(Stage stage) const
{
    const StageLayout& layout = kStages[stage];
    const StageRecord& record = stages_[stage];
    CalReportStage out;
    out.Name = tr(layout.Name);
    out.Confirms.assign(layout.Channels.begin(), layout.Channels.end());
    out.LeftUnit = QStringLiteral("℃");
    if (!record.Confirmed)
        return out;
    out.ConfirmedAt = FormatDateTime(QStringLiteral("hh:nn:ss"), record.At);
    for (int c = 0; c < kCalChannelCount; ++c) {
        const auto i = static_cast<std::size_t>(c);
        out.Rows.push_back({Fixed("%1.3f", record.Max[i]), Fixed("%1.3f", record.Avg[i]), Fixed("%1.3f", record.Min[i]),
                            Fixed("%1.3f", record.Max[i] - record.Min[i])});
    }
    for (const int channel : layout.Channels) {
        CalReportTrace trace;
        trace.Label = CalChannelLabel(channel);
        trace.RightAxis = channel == kChWind;
        if (trace.RightAxis)
            out.RightUnit = QStringLiteral("m/s");
        for (const Reading& reading : record.Readings)
            trace.Points.emplace_back(reading.Seconds, double(reading.Values[static_cast<std::size_t>(channel)]));
        out.Traces.push_back(std::move(trace));
    }
    return out;
}

CalReport CalReportRecorder::Report() const
{
    const QString timeFormat = QStringLiteral("yyyy/mm/dd hh:nn:ss");
    CalReport report;
    report.SerialNo = prm_.SerialNo;
    report.Model = Fixed("%1.2f", double(state_.CurMes.S00));
    report.Version = Fixed("%1.2f", double(state_.CurMes.S01));
    report.Started = prm_.CalStart != 0 ? FormatDateTime(timeFormat, prm_.CalStart) : QString();
    report.Finished = FormatDateTime(timeFormat, clock_.Now());
    report.Program = QStringLiteral("Qemra-series Monitor Ver.") + AppVersion;
    report.FileName = QFileInfo(ReportPath(baseFolder_, prm_)).fileName();

    report.ReferenceTemperature = ReferenceTemperatureText();
    const QString adjWS = after_.value(QStringLiteral("E02"), before_.value(QStringLiteral("E02")));
    if (!adjWS.isEmpty())
        report.ReferenceWindSpeed = QStringLiteral("AdjWS = ") + adjWS + QStringLiteral(" m/s");
    // The band the 15-second average must keep to: half the statistics' tolerance either side.
    const float tolerance = prm_.AdjWS * 0.005f;
    report.Tolerance = tr("±0.25 %（%1 〜 %2 m/s）")
                           .arg(Fixed("%1.4f", double(prm_.AdjWS - tolerance * 0.5f)),
                                Fixed("%1.4f", double(prm_.AdjWS + tolerance * 0.5f)));

    for (const WrittenValue& value : kWrittenValues) {
        const QString key = QString::fromLatin1(value.Key);
        report.Values.push_back(
            {key, tr(value.Label), QString::fromUtf8(value.Unit), before_.value(key), after_.value(key)});
    }
    for (int c = 0; c < kCalChannelCount; ++c)
        report.Channels << CalChannelLabel(c);
    for (int stage = 0; stage < kStageCount; ++stage)
        report.Stages.push_back(StageReport(static_cast<Stage>(stage)));

    report.Average5 = Fixed("%1.3f", double(stats_.WSAvg5));
    report.Average15 = Fixed("%1.3f", double(stats_.WSAvg15));
    report.Deviation5 = Deviation(stats_.WSAvg5, prm_.AdjWS);
    report.Deviation15 = Deviation(stats_.WSAvg15, prm_.AdjWS);
    report.Passed = stats_.WSInTol != 0;
    return report;
}

bool CalReportRecorder::WriteReport()
{
    const QString path = ReportPath(baseFolder_, prm_);
    if (SerialNumberFitsFileName(prm_.SerialNo) && ReplaceFile(path, CalReportPdf(Report()), *io_))
        return true;
    // The box the work logs show when they cannot be written.
    prompts_.Error(QStringLiteral("Cannot create file \"%1\".").arg(path));
    return false;
}

}  // namespace qemra
