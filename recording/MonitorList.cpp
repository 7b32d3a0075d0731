#include "recording/MonitorList.h"

#include "common/NumberText.h"

#include <array>

namespace qemra {

namespace {

struct ListRow {
    const char16_t* label;
    const char16_t* format;            // printf-style, "%d" for whole numbers
    double (*value)(const TMesData&);  // null: a section title whose value cell stays empty
};

constexpr std::array<ListRow, MonitorListTable::kRows> kListRows{{
    {u"Name", u"", nullptr},
    {u"風速", u"%1.3f m/s.", [](const TMesData& r) -> double { return r.M01; }},
    {u"気温", u"%1.2f ℃", [](const TMesData& r) -> double { return r.M11; }},
    {u"湿度", u"%1.2f ％", [](const TMesData& r) -> double { return r.M12; }},
    {u"輻射熱", u"%1.2f ℃", [](const TMesData& r) -> double { return r.M04; }},
    {u"METs", u"%1.2f ", [](const TMesData& r) -> double { return r.M55; }},
    {u"PMV", u"%1.2f ", [](const TMesData& r) -> double { return r.M53; }},
    {u"WBGTo", u"%1.2f ℃", [](const TMesData& r) -> double { return r.M51; }},
    {u"WBGTi", u"%1.2f ℃", [](const TMesData& r) -> double { return r.M52; }},
    {u"SET", u"%1.2f ", [](const TMesData& r) -> double { return r.M54; }},
    {u"絶対湿度", u"%1.1f g/kg", [](const TMesData& r) -> double { return r.M21; }},
    {u"露点温度", u"%1.2f ℃", [](const TMesData& r) -> double { return r.M22; }},
    {u"湿球温度", u"%1.2f ℃", [](const TMesData& r) -> double { return r.M23; }},
    {u"=== 内部 ===", u"", nullptr},
    {u"風向", u"%1.0f ℃", [](const TMesData& r) -> double { return r.M05; }},
    {u"気温１", u"%1.3f ℃", [](const TMesData& r) -> double { return r.C21; }},
    {u"気温２", u"%1.3f ℃", [](const TMesData& r) -> double { return r.C22; }},
    {u"WDS温度１", u"%1.3f ℃", [](const TMesData& r) -> double { return r.C16; }},
    {u"WDS温度２", u"%1.3f ℃", [](const TMesData& r) -> double { return r.C17; }},
    {u"BGT温度１", u"%1.3f ℃", [](const TMesData& r) -> double { return r.C26; }},
    {u"BGT温度２", u"%1.3f ℃", [](const TMesData& r) -> double { return r.C27; }},
    {u"BB温度１", u"%1.3f ℃", [](const TMesData& r) -> double { return r.C76; }},
    {u"BB温度２", u"%1.3f ℃", [](const TMesData& r) -> double { return r.C77; }},
    {u"BB温度３", u"%1.3f ℃", [](const TMesData& r) -> double { return r.C78; }},
    {u"SHT気温", u"%1.2f ℃", [](const TMesData& r) -> double { return r.C71; }},
    {u"SHT湿度", u"%1.2f %%", [](const TMesData& r) -> double { return r.C72; }},
    // The black-globe temperature difference: mean of the two globe sensors less air temperature 2.
    {u"黒球温度差", u"%1.3f ℃", [](const TMesData& r) -> double { return (double(r.C26) + r.C27) * 0.5 - r.C22; }},
    {u"=== 状態値 ===", u"", nullptr},
    {u"風速(補正前)", u"%1.3f m/s.", [](const TMesData& r) -> double { return r.C01; }},
    {u"湿度(補正前)", u"%1.2f %%", [](const TMesData& r) -> double { return r.C13; }},
    {u"気温(内部用)", u"%1.3f ℃", [](const TMesData& r) -> double { return r.C11; }},
    {u"プローブ温度", u"%1.3f ℃", [](const TMesData& r) -> double { return r.C12; }},
    {u"温度差", u"%1.3f ℃", [](const TMesData& r) -> double { return r.C32; }},
    {u"CPU使用率", u"%1.1f %%", [](const TMesData& r) -> double { return r.C50; }},
    {u"電源電圧", u"%1.3f V", [](const TMesData& r) -> double { return r.C51; }},
    {u"AD変換回数", u"%d /s.", [](const TMesData& r) -> double { return r.C52; }},
    {u"DA出力値", u"%1.3f V", [](const TMesData& r) -> double { return r.C53; }},
    {u"モデル番号", u"%1.2f", [](const TMesData& r) -> double { return r.S00; }},
    {u"バージョン", u"%1.2f", [](const TMesData& r) -> double { return r.S01; }},
    {u"システム状態", u"%d", [](const TMesData& r) -> double { return r.S11; }},
    {u"ハード状態", u"%d", [](const TMesData& r) -> double { return r.S12; }},
    {u"ソフト状態", u"%d", [](const TMesData& r) -> double { return r.S13; }},
}};

}  // namespace

QString MonitorListTable::Label(int row)
{
    if (row < 0 || row >= kRows)
        return {};
    return QString::fromUtf16(kListRows[row].label);
}

QString MonitorListTable::Value(int row, const TMesData& record)
{
    if (row <= 0 || row >= kRows || kListRows[row].value == nullptr)
        return {};
    const ListRow& entry = kListRows[row];
    const QString format = QString::fromUtf16(entry.format);
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
