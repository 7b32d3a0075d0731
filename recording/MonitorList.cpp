#include "recording/MonitorList.h"

#include "common/NumberText.h"

#include <QCoreApplication>

#include <array>

namespace qemra {

namespace {

struct ListRow {
    const char* label;                 // before translation: the list is on the screen only
    const char* format;                // printf-style, "%d" for whole numbers
    double (*value)(const TMesData&);  // null: a section title whose value cell stays empty
};

constexpr std::array<ListRow, MonitorListTable::kRows> kListRows{{
    {"Name", "", nullptr},
    {QT_TRANSLATE_NOOP("MonitorList", "風速"), "%1.3f m/s.", [](const TMesData& r) -> double { return r.M01; }},
    {QT_TRANSLATE_NOOP("MonitorList", "気温"), "%1.2f ℃", [](const TMesData& r) -> double { return r.M11; }},
    {QT_TRANSLATE_NOOP("MonitorList", "湿度"), QT_TRANSLATE_NOOP("MonitorList", "%1.2f ％"),
     [](const TMesData& r) -> double { return r.M12; }},
    {QT_TRANSLATE_NOOP("MonitorList", "輻射熱"), "%1.2f ℃", [](const TMesData& r) -> double { return r.M04; }},
    {"METs", "%1.2f ", [](const TMesData& r) -> double { return r.M55; }},
    {"PMV", "%1.2f ", [](const TMesData& r) -> double { return r.M53; }},
    {"WBGTo", "%1.2f ℃", [](const TMesData& r) -> double { return r.M51; }},
    {"WBGTi", "%1.2f ℃", [](const TMesData& r) -> double { return r.M52; }},
    {"SET", "%1.2f ", [](const TMesData& r) -> double { return r.M54; }},
    {QT_TRANSLATE_NOOP("MonitorList", "絶対湿度"), "%1.1f g/kg", [](const TMesData& r) -> double { return r.M21; }},
    {QT_TRANSLATE_NOOP("MonitorList", "露点温度"), "%1.2f ℃", [](const TMesData& r) -> double { return r.M22; }},
    {QT_TRANSLATE_NOOP("MonitorList", "湿球温度"), "%1.2f ℃", [](const TMesData& r) -> double { return r.M23; }},
    {QT_TRANSLATE_NOOP("MonitorList", "=== 内部 ==="), "", nullptr},
    {QT_TRANSLATE_NOOP("MonitorList", "風向"), "%1.0f ℃", [](const TMesData& r) -> double { return r.M05; }},
    {QT_TRANSLATE_NOOP("MonitorList", "気温１"), "%1.3f ℃", [](const TMesData& r) -> double { return r.C21; }},
    {QT_TRANSLATE_NOOP("MonitorList", "気温２"), "%1.3f ℃", [](const TMesData& r) -> double { return r.C22; }},
    {QT_TRANSLATE_NOOP("MonitorList", "WDS温度１"), "%1.3f ℃", [](const TMesData& r) -> double { return r.C16; }},
    {QT_TRANSLATE_NOOP("MonitorList", "WDS温度２"), "%1.3f ℃", [](const TMesData& r) -> double { return r.C17; }},
    {QT_TRANSLATE_NOOP("MonitorList", "BGT温度１"), "%1.3f ℃", [](const TMesData& r) -> double { return r.C26; }},
    {QT_TRANSLATE_NOOP("MonitorList", "BGT温度２"), "%1.3f ℃", [](const TMesData& r) -> double { return r.C27; }},
    {QT_TRANSLATE_NOOP("MonitorList", "BB温度１"), "%1.3f ℃", [](const TMesData& r) -> double { return r.C76; }},
    {QT_TRANSLATE_NOOP("MonitorList", "BB温度２"), "%1.3f ℃", [](const TMesData& r) -> double { return r.C77; }},
    {QT_TRANSLATE_NOOP("MonitorList", "BB温度３"), "%1.3f ℃", [](const TMesData& r) -> double { return r.C78; }},
    {QT_TRANSLATE_NOOP("MonitorList", "SHT気温"), "%1.2f ℃", [](const TMesData& r) -> double { return r.C71; }},
    {QT_TRANSLATE_NOOP("MonitorList", "SHT湿度"), "%1.2f %%", [](const TMesData& r) -> double { return r.C72; }},
    // The black-globe temperature difference: mean of the two globe sensors less air temperature 2.
    {QT_TRANSLATE_NOOP("MonitorList", "黒球温度差"), "%1.3f ℃",
     [](const TMesData& r) -> double { return (double(r.C26) + r.C27) * 0.5 - r.C22; }},
    {QT_TRANSLATE_NOOP("MonitorList", "=== 状態値 ==="), "", nullptr},
    {QT_TRANSLATE_NOOP("MonitorList", "風速(補正前)"), "%1.3f m/s.", [](const TMesData& r) -> double { return r.C01; }},
    {QT_TRANSLATE_NOOP("MonitorList", "湿度(補正前)"), "%1.2f %%", [](const TMesData& r) -> double { return r.C13; }},
    {QT_TRANSLATE_NOOP("MonitorList", "気温(内部用)"), "%1.3f ℃", [](const TMesData& r) -> double { return r.C11; }},
    {QT_TRANSLATE_NOOP("MonitorList", "プローブ温度"), "%1.3f ℃", [](const TMesData& r) -> double { return r.C12; }},
    {QT_TRANSLATE_NOOP("MonitorList", "温度差"), "%1.3f ℃", [](const TMesData& r) -> double { return r.C32; }},
    {QT_TRANSLATE_NOOP("MonitorList", "CPU使用率"), "%1.1f %%", [](const TMesData& r) -> double { return r.C50; }},
    {QT_TRANSLATE_NOOP("MonitorList", "電源電圧"), "%1.3f V", [](const TMesData& r) -> double { return r.C51; }},
    {QT_TRANSLATE_NOOP("MonitorList", "AD変換回数"), "%d /s.", [](const TMesData& r) -> double { return r.C52; }},
    {QT_TRANSLATE_NOOP("MonitorList", "DA出力値"), "%1.3f V", [](const TMesData& r) -> double { return r.C53; }},
    {QT_TRANSLATE_NOOP("MonitorList", "モデル番号"), "%1.2f", [](const TMesData& r) -> double { return r.S00; }},
    {QT_TRANSLATE_NOOP("MonitorList", "バージョン"), "%1.2f", [](const TMesData& r) -> double { return r.S01; }},
    {QT_TRANSLATE_NOOP("MonitorList", "システム状態"), "%d", [](const TMesData& r) -> double { return r.S11; }},
    {QT_TRANSLATE_NOOP("MonitorList", "ハード状態"), "%d", [](const TMesData& r) -> double { return r.S12; }},
    {QT_TRANSLATE_NOOP("MonitorList", "ソフト状態"), "%d", [](const TMesData& r) -> double { return r.S13; }},
}};

}  // namespace

QString MonitorListTable::Label(int row)
{
    if (row < 0 || row >= kRows)
        return {};
    return QCoreApplication::translate("MonitorList", kListRows[row].label);
}

QString MonitorListTable::Value(int row, const TMesData& record)
{
    if (row <= 0 || row >= kRows || kListRows[row].value == nullptr)
        return {};
    const ListRow& entry = kListRows[row];
    const QString format = QCoreApplication::translate("MonitorList", entry.format);
    const double value = entry.value(record);
    if (format.contains(QStringLiteral("%d")))
        return FormatInt(format, static_cast<long long>(value));
    return FormatFloat(format, value);
}

bool SecondTicker::NewSecond(TDateTime now)
{
    const bool changed = WholeSeconds(lastTick_) != WholeSeconds(now);
    lastTick_ = now;
    return changed;
}

}  // namespace qemra
