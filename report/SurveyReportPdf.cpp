#include "report/SurveyReportPdf.h"

#include "common/FileReplace.h"
#include "report/A4Page.h"
#include "report/PdfSheet.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPolygonF>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <limits>

namespace qemra {

namespace {

using namespace pdf;

// Page texts go through the translator with the Japanese as source text.
QString translate(const char* context, const char* source) { return QCoreApplication::translate(context, source); }

constexpr int kPages = 4;
const QString kDash = QStringLiteral("—");

const QColor kBand(0xC6, 0xDB, 0xEF);
const QColor kMean(0x1F, 0x77, 0xB4);
const QColor kBar(0x6B, 0x8E, 0xB8);
const QColor kComfortZone(0xEA, 0xF4, 0xE6);
// Category A, B, C (I, II, III), IV, outside: from calm to alarming.
const std::array<QColor, 5> kCategoryColours = {QColor(0x2E, 0x8B, 0x57), QColor(0x8F, 0xC9, 0x6A),
                                                QColor(0xF2, 0xC9, 0x4C), QColor(0xF0, 0x8A, 0x3C),
                                                QColor(0xC8, 0x3A, 0x3A)};

// ---- Reading the summary object ----

std::optional<double> Number(const QJsonObject& object, const char* key)
{
    const QJsonValue value = object.value(QLatin1String(key));
    return value.isDouble() ? std::optional<double>(value.toDouble()) : std::nullopt;
}

QJsonObject Object(const QJsonObject& object, const char* key) { return object.value(QLatin1String(key)).toObject(); }

QString Category(const QJsonObject& summary)
{
    const QString category = Object(summary, "selection").value(QStringLiteral("category")).toString();
    return category == u"A" || category == u"C" ? category : QStringLiteral("B");
}

// The classes of a category scale that lie outside the chosen category, given the scale's keys from
// the best class on: with B, "C" and "outside".
double ShareBeyond(const QJsonObject& shares, const QStringList& keys, int chosen)
{
    double share = 0;
    for (int i = chosen + 1; i < keys.size(); ++i)
        share += shares.value(keys[i]).toDouble();
    return share;
}

int CategoryIndex(const QString& category) { return category == u"A" ? 0 : category == u"C" ? 2 : 1; }

const QStringList kAbc = {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("outside")};
const QStringList kRoman = {QStringLiteral("I"), QStringLiteral("II"), QStringLiteral("III"),
                            QStringLiteral("outside")};
const QStringList kEn = {QStringLiteral("I"), QStringLiteral("II"), QStringLiteral("III"), QStringLiteral("IV"),
                         QStringLiteral("outside")};

// The seconds each criterion judges, as the summary counts them.
double BasisSeconds(const QJsonObject& summary, const QString& key)
{
    if (key == u"dr_category")
        return Number(Object(summary, "draught"), "seconds").value_or(0);
    if (key == u"long_term")
        return Number(Object(summary, "long_term"), "hours").value_or(0) * 3600;
    if (key == u"wbgt_twa")
        return Number(Object(summary, "wbgt_twa"), "seconds").value_or(0);
    if (key == u"adaptive")
        return Number(Object(summary, "adaptive"), "seconds").value_or(0);
    return Number(summary, "rows").value_or(0);
}

QString ResultKey(VerdictResult result)
{
    switch (result) {
    case VerdictResult::Pass:
        return QStringLiteral("pass");
    case VerdictResult::Fail:
        return QStringLiteral("fail");
    case VerdictResult::None:
        break;
    }
    return QStringLiteral("none");
}

// ---- Texts ----

QString Percent(double share) { return QString::number(share * 100, 'f', 2) + QStringLiteral(" %"); }
QString Shortest(double value) { return QString::number(value, 'g', QLocale::FloatingPointShortest); }
QString Hours(double seconds) { return QString::number(seconds / 3600, 'f', 1) + QStringLiteral(" h"); }
QString Fixed(const std::optional<double>& value, int decimals)
{
    return value ? QString::number(*value, 'f', decimals) : kDash;
}
QString IsoTime(const QJsonValue& value)
{
    // "2026-12-11T09:41:00+09:00" reads as "2026-12-11 09:41:00".
    return value.isString() ? value.toString().left(19).replace(u'T', u' ') : kDash;
}
QString DateText(QDate date) { return date.isValid() ? date.toString(QStringLiteral("yyyy/MM/dd")) : kDash; }
QString DateList(const QList<QDate>& days)
{
    if (days.isEmpty())
        return translate("SurveyReport", "なし");
    QStringList texts;
    for (const QDate day : days)
        texts << DateText(day);
    return texts.join(QStringLiteral(", "));
}
QString ByteText(qint64 bytes) { return QLocale::c().toString(bytes) + QStringLiteral(" B"); }

QString CriterionName(const QString& key, const QString& category)
{
    const int chosen = CategoryIndex(category);
    if (key == u"pmv_category")
        return translate("SurveyReport", "PMVカテゴリー %1（|PMV| < %2）")
            .arg(category, QStringList{"0.2", "0.5", "0.7"}[chosen]);
    if (key == u"dr_category")
        return translate("SurveyReport", "ドラフト率カテゴリー %1（DR < %2 %）")
            .arg(category, QStringList{"10", "20", "30"}[chosen]);
    if (key == u"comfort_category")
        return translate("SurveyReport", "快適性カテゴリー %1（PMVとDRの悪い方）").arg(category);
    if (key == u"long_term")
        return translate("SurveyReport", "長期評価：カテゴリー %1 外の時間率").arg(category);
    if (key == u"wbgt_twa")
        return translate("SurveyReport", "WBGT 1時間平均：非順化者の基準値");
    return translate("SurveyReport", "適応モデル カテゴリー %1").arg(kRoman[chosen]);
}

QString ResultText(VerdictResult result)
{
    switch (result) {
    case VerdictResult::Pass:
        return translate("SurveyReport", "適合");
    case VerdictResult::Fail:
        return translate("SurveyReport", "不適合");
    case VerdictResult::None:
        break;
    }
    return translate("SurveyReport", "判定不能");
}

QColor ResultColour(VerdictResult result)
{
    return result == VerdictResult::Pass ? kPass : result == VerdictResult::Fail ? kFail : kMuted;
}

// ---- The pages ----

class SurveyPainter {
public:
    SurveyPainter(Sheet& sheet, QPdfWriter& writer, const QJsonObject& summary, const ReportDistributions& d,
                  const SurveyReportInputs& inputs, double tolerance)
        : s_(sheet), writer_(writer), summary_(summary), d_(d), inputs_(inputs), tolerance_(tolerance),
          verdicts_(SurveyVerdicts(summary, tolerance))
    {
    }

    void Paint()
    {
        VerdictPage();
        NextPage();
        CategoryPage();
        NextPage();
        AverageDayPage();
        NextPage();
        MethodPage();
    }

private:
    void NextPage()
    {
        writer_.newPage();
        ++page_;
    }

    double Heading(double x, double y, double w, const QString& text)
    {
        s_.Text(x, y, w, 5.0, text, Font(9.5, true), Qt::AlignLeft);
        s_.Line(x, y + 5.3, x + w, y + 5.3, 0.3, kInk);
        return y + 7.0;
    }

    double PageTitle(const QString& subtitle)
    {
        double y = kTop;
        s_.Text(kLeft, y, kWidth * 0.6, 6.0, translate("SurveyReport", "温熱環境調査報告書"), Font(12.0, true),
                Qt::AlignLeft);
        s_.Text(kLeft + kWidth * 0.6, y, kWidth * 0.4, 6.0, subtitle, Font(9.0), Qt::AlignRight, kMuted);
        s_.Line(kLeft, y + 7.5, kRight, y + 7.5, 0.4, kInk);
        return y + 11.0;
    }

    void Footer()
    {
        const double y = kBottom - 3.5;
        s_.Line(kLeft, y - 0.8, kRight, y - 0.8, 0.15, kRule);
        s_.Text(kLeft, y, kWidth * 0.75, 3.5, inputs_.programVersion, Font(6.5), Qt::AlignLeft, kMuted);
        s_.Text(kLeft + kWidth * 0.75, y, kWidth * 0.25, 3.5, QStringLiteral("%1 / %2").arg(page_).arg(kPages),
                Font(6.5), Qt::AlignRight, kMuted);
    }

    // Label and value pairs in two columns; returns the bottom.
    double Fields(double y, const std::vector<std::pair<QString, QString>>& fields)
    {
        const double half = (kWidth - kColumnGap) / 2;
        const double label = 24.0;
        const double row = 5.6;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const double x = kLeft + double(i % 2) * (half + kColumnGap);
            const double top = y + double(i / 2) * row;
            s_.Text(x, top, label, row, fields[i].first, Font(7.5), Qt::AlignLeft, kMuted);
            s_.Text(x + label, top, half - label, row, fields[i].second, Font(8.5), Qt::AlignLeft);
            s_.Line(x, top + row, x + half, top + row, 0.15, kRule);
        }
        return y + double((fields.size() + 1) / 2) * row;
    }

    // Page 1: what was surveyed and the verdicts.
    void VerdictPage()
    {
        double y = kTop;
        s_.Text(kLeft, y, kWidth, 11.0, translate("SurveyReport", "温熱環境調査報告書"), Font(19.0, true),
                Qt::AlignHCenter);
        s_.Line(kLeft, y + 12.5, kRight, y + 12.5, 0.5, kInk);
        s_.Line(kLeft, y + 13.3, kRight, y + 13.3, 0.15, kInk);
        y += 16.0;

        const QJsonObject selection = Object(summary_, "selection");
        const QJsonValue hours = selection.value(QStringLiteral("hours"));
        QStringList days;
        for (const QJsonValue day : selection.value(QStringLiteral("days")).toArray())
            days << day.toString();
        const double counted = Number(summary_, "rows").value_or(0);
        y = Fields(y,
                   {
                       {translate("SurveyReport", "調査期間"),
                        DateText(inputs_.from) + QStringLiteral(" – ") + DateText(inputs_.to)},
                       {translate("SurveyReport", "ポート"), inputs_.port.isEmpty() ? kDash : inputs_.port},
                       {translate("SurveyReport", "最初の記録"), IsoTime(summary_.value(QStringLiteral("first")))},
                       {translate("SurveyReport", "最後の記録"), IsoTime(summary_.value(QStringLiteral("last")))},
                       {translate("SurveyReport", "在室時間"),
                        hours.isString() ? hours.toString() : translate("SurveyReport", "終日")},
                       {translate("SurveyReport", "曜日"),
                        days.isEmpty() ? translate("SurveyReport", "全曜日") : days.join(QStringLiteral(", "))},
                       {translate("SurveyReport", "カテゴリー"), Category(summary_)},
                       {translate("SurveyReport", "評価対象時間"),
                        Hours(counted) + QStringLiteral("（") + QString::number(qint64(counted)) +
                            translate("SurveyReport", " 秒") + QStringLiteral("）")},
                       {translate("SurveyReport", "許容率"), Shortest(tolerance_) + QStringLiteral(" %")},
                       {translate("SurveyReport", "外気温ファイル"), inputs_.outdoorFile.isEmpty()
                                                                         ? translate("SurveyReport", "なし")
                                                                         : QFileInfo(inputs_.outdoorFile).fileName()},
                   }) +
            kSectionGap + 2.0;

        y = VerdictTable(y) + kSectionGap;
        y = Rules(y) + kSectionGap;
        KeyFigures(y);
        Footer();
    }

    double VerdictTable(double y)
    {
        y = Heading(kLeft, y, kWidth, translate("SurveyReport", "判定"));
        const double nameWidth = 78.0;
        const double valueWidth = 40.0;
        const double limitWidth = 26.0;
        const double resultWidth = kWidth - nameWidth - valueWidth - limitWidth;
        const double headerHeight = 5.5;
        const double rowHeight = 12.0;
        const double pad = 1.5;
        s_.Fill(kLeft, y, kWidth, headerHeight, kHeaderFill);
        double x = kLeft;
        for (const auto& [title, width, align] :
             {std::tuple{translate("SurveyReport", "評価項目"), nameWidth, int(Qt::AlignLeft)},
              std::tuple{translate("SurveyReport", "測定値（基準外の時間率）"), valueWidth, int(Qt::AlignRight)},
              std::tuple{translate("SurveyReport", "基準"), limitWidth, int(Qt::AlignRight)},
              std::tuple{translate("SurveyReport", "判定"), resultWidth, int(Qt::AlignHCenter)}}) {
            s_.Text(x + pad, y, width - 2 * pad, headerHeight, title, Font(7.5, true), align);
            x += width;
        }
        y += headerHeight;
        const QString category = Category(summary_);
        for (const SurveyVerdict& v : verdicts_) {
            const double top = y;
            // Figure, limit and verdict share one line, the centre of the row.
            const double middle = top + 1.8;
            const double middleHeight = rowHeight - 3.6;
            s_.Text(kLeft + pad, top + 1.0, nameWidth - 2 * pad, 5.5, CriterionName(v.key, category), Font(8.0),
                    Qt::AlignLeft);
            QString basis = translate("SurveyReport", "対象 %1").arg(Hours(BasisSeconds(summary_, v.key)));
            if (v.key == u"wbgt_twa")
                basis += QStringLiteral("・") + WbgtNote();
            s_.Text(kLeft + pad, top + 6.3, nameWidth - 2 * pad, 4.0, basis, Font(6.5), Qt::AlignLeft, kMuted);
            x = kLeft + nameWidth;
            s_.Text(x + pad, middle, valueWidth - 2 * pad, middleHeight, v.value ? Percent(*v.value) : kDash,
                    Font(9.0, true), Qt::AlignRight);
            x += valueWidth;
            s_.Text(x + pad, middle, limitWidth - 2 * pad, middleHeight,
                    (v.key == u"wbgt_twa" ? QStringLiteral("= ") : QStringLiteral("≤ ")) + Percent(v.limit), Font(8.5),
                    Qt::AlignRight);
            x += limitWidth;
            const QColor colour = ResultColour(v.result);
            s_.Frame(x + 3.0, middle, resultWidth - 6.0, middleHeight, 0.5, colour);
            s_.Text(x + 3.0, middle, resultWidth - 6.0, middleHeight, ResultText(v.result), Font(11.0, true),
                    Qt::AlignHCenter, colour);
            y += rowHeight;
            s_.Line(kLeft, y, kRight, y, 0.15, kRule);
        }
        s_.Line(kLeft, y, kRight, y, 0.3, kInk);
        return y;
    }

    QString WbgtNote() const
    {
        const QJsonObject wbgt = Object(summary_, "wbgt_twa");
        const std::optional<double> over = Number(wbgt, "over_acclimatised");
        return translate("SurveyReport", "順化者の基準値超過 %1・最大 %2 ℃")
            .arg(over ? Percent(*over) : kDash, Fixed(Number(wbgt, "max"), 2));
    }

    double Rules(double y)
    {
        y = Heading(kLeft, y, kWidth, translate("SurveyReport", "判定の規則"));
        const QString tolerance = Shortest(tolerance_);
        const QStringList rules = {
            translate("SurveyReport",
                      "カテゴリーの各項目は、評価対象の秒のうち選んだカテゴリーの外にあった時間率が許容率 %1 % "
                      "以下のとき適合とする（許容率は EN 16798-1 が認める逸脱の割合、--tolerance で変更できる）。")
                .arg(tolerance),
            translate("SurveyReport",
                      "長期評価は ISO 7730 附属書 H の方法による share_outside を同じ許容率で判定する。"),
            translate(
                "SurveyReport",
                "WBGT は 1時間平均が非順化者の基準値を一度も超えないとき適合とする（順化者の基準値に対する時間率と最大値を併記）。"),
            translate(
                "SurveyReport",
                "判定の対象となる秒が一つもない項目は判定不能とし、適合とはしない。ドラフト率は定義された秒だけを数える。"),
        };
        for (const QString& rule : rules)
            y += s_.Paragraph(kLeft + 2.0, y, kWidth - 2.0, QStringLiteral("・") + rule, Font(7.5)) + 0.8;
        return y;
    }

    // The main figures of the counted seconds, min / avg / max as the summary gives them.
    void KeyFigures(double y)
    {
        y = Heading(kLeft, y, kWidth, translate("SurveyReport", "主な値（評価対象の秒）"));
        const QJsonObject quantities = Object(summary_, "quantities");
        struct Row {
            QString name;
            const char* key;
            QString unit;
            int decimals;
        };
        const std::vector<Row> rows = {
            {translate("SurveyReport", "作用温度"), "operative_temp", QStringLiteral("℃"), 2},
            {translate("SurveyReport", "気温"), "air_temp", QStringLiteral("℃"), 2},
            {translate("SurveyReport", "放射温度"), "radiant_temp", QStringLiteral("℃"), 2},
            {translate("SurveyReport", "相対湿度"), "rh", QStringLiteral("%"), 1},
            {translate("SurveyReport", "風速"), "wind", QStringLiteral("m/s"), 3},
            {QStringLiteral("PMV"), "pmv", QString(), 2},
            {QStringLiteral("PPD"), "ppd", QStringLiteral("%"), 1},
            {translate("SurveyReport", "ドラフト率"), "draught_rate", QStringLiteral("%"), 1},
            {translate("SurveyReport", "乱れの強さ"), "turbulence_intensity", QStringLiteral("%"), 1},
            {translate("SurveyReport", "WBGT（屋内）"), "wbgt_in", QStringLiteral("℃"), 2},
        };
        const double nameWidth = 40.0;
        const double unitWidth = 14.0;
        const double cell = 30.0;
        const double rowHeight = 4.6;
        const double pad = 1.5;
        const double tableWidth = nameWidth + unitWidth + 3 * cell;
        s_.Fill(kLeft, y, tableWidth, rowHeight, kHeaderFill);
        s_.Text(kLeft + pad, y, nameWidth - pad, rowHeight, translate("SurveyReport", "項目"), Font(7.0, true),
                Qt::AlignLeft);
        s_.Text(kLeft + nameWidth, y, unitWidth, rowHeight, translate("SurveyReport", "単位"), Font(7.0, true),
                Qt::AlignHCenter);
        const QStringList heads = {translate("SurveyReport", "最小"), translate("SurveyReport", "平均"),
                                   translate("SurveyReport", "最大")};
        for (int c = 0; c < 3; ++c)
            s_.Text(kLeft + nameWidth + unitWidth + c * cell, y, cell - pad, rowHeight, heads[c], Font(7.0, true),
                    Qt::AlignRight);
        y += rowHeight;
        for (const Row& row : rows) {
            const QJsonObject figures = quantities.value(QLatin1String(row.key)).toObject();
            s_.Text(kLeft + pad, y, nameWidth - pad, rowHeight, row.name, Font(7.0), Qt::AlignLeft);
            s_.Text(kLeft + nameWidth, y, unitWidth, rowHeight, row.unit, Font(7.0), Qt::AlignHCenter, kMuted);
            int c = 0;
            for (const char* key : {"min", "avg", "max"}) {
                s_.Text(kLeft + nameWidth + unitWidth + c * cell, y, cell - pad, rowHeight,
                        Fixed(Number(figures, key), row.decimals), Font(7.0), Qt::AlignRight);
                ++c;
            }
            y += rowHeight;
            s_.Line(kLeft, y, kLeft + tableWidth, y, 0.12, kRule);
        }
        s_.Text(kLeft, y + 0.5, kWidth, 4.0,
                translate("SurveyReport", "ドラフト率と乱れの強さはドラフト率が定義された秒のみ。"), Font(6.5),
                Qt::AlignLeft, kMuted);
    }

    // Page 2: the share of time in each category, and the histograms.
    void CategoryPage()
    {
        double y = PageTitle(translate("SurveyReport", "カテゴリー別の時間率と分布"));
        y = Heading(kLeft, y, kWidth, translate("SurveyReport", "カテゴリー別の時間率（評価対象の秒に対する割合）"));
        const QStringList abcLabels = {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"),
                                       translate("SurveyReport", "外")};
        const QStringList enLabels = {QStringLiteral("I"), QStringLiteral("II"), QStringLiteral("III"),
                                      QStringLiteral("IV"), translate("SurveyReport", "外")};
        y = CategoryBar(y, QStringLiteral("PMV"), Object(summary_, "pmv_category"), kAbc, abcLabels);
        y = CategoryBar(y, translate("SurveyReport", "ドラフト率"), Object(summary_, "dr_category"), kAbc, abcLabels);
        y = CategoryBar(y, translate("SurveyReport", "快適性"), Object(summary_, "comfort_category"), kAbc, abcLabels);
        y = CategoryBar(y, QStringLiteral("EN 16798-1"), Object(summary_, "en16798_category"), kEn, enLabels);
        y += kSectionGap;

        const double histogramHeight = (kBottom - 8.0 - y - kSectionGap) / 2;
        Histogram(kLeft, y, kWidth, histogramHeight,
                  translate("SurveyReport", "PMV の分布（0.1 刻み、両端は範囲外を含む）"), d_.PmvHistogram(), 1,
                  {-0.7, -0.5, -0.2, 0.2, 0.5, 0.7});
        y += histogramHeight + kSectionGap;
        Histogram(kLeft, y, kWidth, histogramHeight,
                  translate("SurveyReport", "ドラフト率 DR [%] の分布（2.5 % 刻み、定義された秒のみ）"),
                  d_.DraughtHistogram(), 0, {10, 20, 30});
        Footer();
    }

    double CategoryBar(double y, const QString& name, const QJsonObject& shares, const QStringList& keys,
                       const QStringList& labels)
    {
        const double label = 24.0;
        const double barHeight = 6.0;
        const double x = kLeft + label;
        const double w = kWidth - label;
        s_.Text(kLeft, y, label - 2.0, barHeight, name, Font(8.0, true), Qt::AlignLeft);
        double total = 0;
        for (const QString& key : keys)
            total += std::max(0.0, shares.value(key).toDouble());
        if (shares.isEmpty() || !(total > 0)) {
            s_.Frame(x, y, w, barHeight, 0.2, kRule);
            s_.Text(x, y, w, barHeight, translate("SurveyReport", "データなし"), Font(7.5), Qt::AlignHCenter, kMuted);
        } else {
            double cx = x;
            for (int i = 0; i < keys.size(); ++i) {
                const double part = std::max(0.0, shares.value(keys[i]).toDouble()) / total * w;
                s_.Fill(cx, y, part, barHeight, Colour(i, keys.size()));
                cx += part;
            }
            s_.Frame(x, y, w, barHeight, 0.2, kMuted);
        }
        // The figures under the bar, one per class, with the class's colour.
        const double legend = y + barHeight + 0.8;
        const double item = w / double(keys.size());
        for (int i = 0; i < keys.size(); ++i) {
            const double ix = x + i * item;
            s_.Fill(ix, legend + 1.0, 2.6, 2.6, Colour(i, keys.size()));
            const QJsonValue value = shares.value(keys[i]);
            s_.Text(ix + 3.5, legend, item - 4.0, 4.6,
                    labels[i] + QStringLiteral("  ") + (value.isDouble() ? Percent(value.toDouble()) : kDash),
                    Font(7.0), Qt::AlignLeft);
        }
        return legend + 4.6 + 2.4;
    }

    static QColor Colour(int i, qsizetype classes)
    {
        // Four classes skip the IV colour, so "outside" is always the red.
        if (classes == 4 && i == 3)
            return kCategoryColours[4];
        return kCategoryColours[std::size_t(std::clamp(i, 0, 4))];
    }

    // The bars as shares of the seconds in the histogram, with lines at the category limits.
    void Histogram(double x, double y, double w, double h, const QString& title,
                   const ReportDistributions::Histogram& histogram, int labelDecimals,
                   const std::vector<double>& limits)
    {
        s_.Text(x, y, w, 5.0, title, Font(8.0, true), Qt::AlignLeft);
        const double axis = 12.0;
        const double left = x + axis;
        const double top = y + 10.0;
        const double bottom = y + h - 8.0;
        const double plotWidth = w - axis - 2.0;
        const double plotHeight = bottom - top;
        const QFont tickFont = Font(6.0);
        double total = 0;
        double highest = 0;
        for (const double seconds : histogram.seconds) {
            total += seconds;
            highest = std::max(highest, seconds);
        }
        const auto bins = double(histogram.seconds.size());
        const double range = histogram.width * bins;
        const auto px = [&](double v) { return left + (v - histogram.lowest) / range * plotWidth; };
        if (!(total > 0)) {
            s_.Frame(left, top, plotWidth, plotHeight, 0.2, kRule);
            s_.Text(left, top, plotWidth, plotHeight, translate("SurveyReport", "データなし"), Font(9.0),
                    Qt::AlignHCenter, kMuted);
            return;
        }
        const Scale scale = ValueScale(0, highest / total * 100, 1.0);
        const auto py = [&](double percent) { return bottom - scale.Fraction(percent) * plotHeight; };
        const int ticks = int(std::lround((scale.Max - scale.Min) / scale.Step));
        for (int i = 0; i <= ticks; ++i) {
            const double v = scale.Min + i * scale.Step;
            s_.Line(left, py(v), left + plotWidth, py(v), 0.1, kGrid);
            s_.Text(x, py(v) - 1.7, axis - 1.5, 3.4, TickText(v, scale.Decimals), tickFont, Qt::AlignRight, kMuted);
        }
        s_.Text(x, top - 4.2, axis + 20.0, 3.4, translate("SurveyReport", "時間率 [%]"), tickFont, Qt::AlignLeft,
                kMuted);
        for (std::size_t i = 0; i < histogram.seconds.size(); ++i) {
            if (histogram.seconds[i] <= 0)
                continue;
            const double from = px(histogram.lowest + histogram.width * double(i));
            const double to = px(histogram.lowest + histogram.width * double(i + 1));
            const double height = histogram.seconds[i] / total * 100;
            s_.Fill(from + 0.15, py(height), to - from - 0.3, bottom - py(height), kBar);
        }
        for (const double limit : limits)
            s_.Line(px(limit), top, px(limit), bottom, 0.25, kFail);
        // About ten labels along the axis, on whole bins.
        const double step = RoundStep(range / 10);
        for (double v = histogram.lowest; v <= histogram.lowest + range + 1e-9; v += step) {
            const double tw = 10.0;
            s_.Line(px(v), bottom, px(v), bottom + 0.8, 0.15, kMuted);
            s_.Text(std::clamp(px(v) - tw / 2, x, x + w - tw), bottom + 0.9, tw, 3.4, TickText(v, labelDecimals),
                    tickFont, Qt::AlignHCenter, kMuted);
        }
        s_.Frame(left, top, plotWidth, plotHeight, 0.2, kMuted);
    }

    // Page 3: the average day and each day's range.
    void AverageDayPage()
    {
        double y = PageTitle(translate("SurveyReport", "平均的な一日と日ごとの作用温度"));
        y = Heading(kLeft, y, kWidth,
                    translate("SurveyReport", "平均的な一日（時刻別の平均、帯は 10–90 % の範囲、評価対象の秒のみ）"));
        const double dailyHeight = 62.0;
        const double plotsBottom = kBottom - 8.0 - dailyHeight - kSectionGap;
        const double each = (plotsBottom - y) / 3;
        using Q = ReportDistributions::Quantity;
        AverageDay(y, each, translate("SurveyReport", "作用温度 [℃]"), Q::OperativeTemp, 0.5);
        AverageDay(y + each, each, QStringLiteral("PMV"), Q::Pmv, 0.2);
        AverageDay(y + 2 * each, each, translate("SurveyReport", "ドラフト率 DR [%]"), Q::DraughtRate, 2.0);
        Daily(plotsBottom + kSectionGap, dailyHeight);
        Footer();
    }

    void AverageDay(double y, double h, const QString& title, ReportDistributions::Quantity quantity, double narrowest)
    {
        s_.Text(kLeft, y, kWidth, 4.5, title, Font(8.0, true), Qt::AlignLeft);
        const double axis = 12.0;
        const double left = kLeft + axis;
        const double top = y + 5.5;
        const double bottom = y + h - 6.5;
        const double plotWidth = kWidth - axis - 2.0;
        const double plotHeight = bottom - top;
        const QFont tickFont = Font(6.0);

        std::array<ReportDistributions::HourFigures, ReportDistributions::kHours> hours;
        double lo = std::numeric_limits<double>::infinity();
        double hi = -lo;
        for (int hour = 0; hour < ReportDistributions::kHours; ++hour) {
            hours[std::size_t(hour)] = d_.AtHour(quantity, hour);
            const auto& f = hours[std::size_t(hour)];
            for (const auto& v : {f.low, f.high, f.mean}) {
                if (v) {
                    lo = std::min(lo, *v);
                    hi = std::max(hi, *v);
                }
            }
        }
        const auto px = [&](double hour) { return left + hour / 24.0 * plotWidth; };
        for (int hour = 0; hour <= 24; hour += 3) {
            s_.Line(px(hour), top, px(hour), bottom, 0.1, kGrid);
            s_.Text(std::clamp(px(hour) - 5.0, kLeft, kRight - 10.0), bottom + 0.5, 10.0, 3.4,
                    QStringLiteral("%1:00").arg(hour), tickFont, Qt::AlignHCenter, kMuted);
        }
        if (!(lo <= hi)) {
            s_.Frame(left, top, plotWidth, plotHeight, 0.2, kRule);
            s_.Text(left, top, plotWidth, plotHeight, translate("SurveyReport", "データなし"), Font(9.0),
                    Qt::AlignHCenter, kMuted);
            return;
        }
        const Scale scale = ValueScale(lo, hi, narrowest);
        const auto py = [&](double v) { return bottom - scale.Fraction(v) * plotHeight; };
        const int ticks = int(std::lround((scale.Max - scale.Min) / scale.Step));
        for (int i = 0; i <= ticks; ++i) {
            const double v = scale.Min + i * scale.Step;
            s_.Line(left, py(v), left + plotWidth, py(v), 0.1, kGrid);
            s_.Text(kLeft, py(v) - 1.7, axis - 1.5, 3.4, TickText(v, scale.Decimals), tickFont, Qt::AlignRight, kMuted);
        }
        // Each hour as a step from its start to its end, so an hour without seconds leaves a gap.
        QPainter& p = s_.Painter();
        p.save();
        p.setClipRect(Box(left, top, plotWidth, plotHeight));
        p.setPen(Qt::NoPen);
        p.setBrush(kBand);
        for (int hour = 0; hour < ReportDistributions::kHours; ++hour) {
            const auto& f = hours[std::size_t(hour)];
            if (f.low && f.high)
                p.drawRect(QRectF(At(px(hour), py(*f.high)), At(px(hour + 1), py(*f.low))));
        }
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kMean, 0.45 * kUnitsPerMm, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QPolygonF line;
        for (int hour = 0; hour <= ReportDistributions::kHours; ++hour) {
            const auto* f = hour < ReportDistributions::kHours ? &hours[std::size_t(hour)] : nullptr;
            if (f != nullptr && f->mean) {
                line << At(px(hour), py(*f->mean)) << At(px(hour + 1), py(*f->mean));
            } else if (!line.isEmpty()) {
                p.drawPolyline(line);
                line.clear();
            }
        }
        p.restore();
        s_.Frame(left, top, plotWidth, plotHeight, 0.2, kMuted);
    }

    // Each day's minimum to maximum of operative temperature as a bar, its average as a mark.
    void Daily(double y, double h)
    {
        y = Heading(kLeft, y, kWidth,
                    translate("SurveyReport", "日ごとの作用温度（最小・平均・最大、評価対象の秒のみ）"));
        const auto& days = d_.Days();
        const double axis = 12.0;
        const double left = kLeft + axis;
        const double top = y + 2.0;
        const double bottom = y + h - 14.0;
        const double plotWidth = kWidth - axis - 2.0;
        const double plotHeight = bottom - top;
        const QFont tickFont = Font(6.0);
        if (days.empty()) {
            s_.Frame(left, top, plotWidth, plotHeight, 0.2, kRule);
            s_.Text(left, top, plotWidth, plotHeight, translate("SurveyReport", "データなし"), Font(9.0),
                    Qt::AlignHCenter, kMuted);
            return;
        }
        double lo = days.front().minimum;
        double hi = days.front().maximum;
        for (const auto& day : days) {
            lo = std::min(lo, day.minimum);
            hi = std::max(hi, day.maximum);
        }
        const Scale scale = ValueScale(lo, hi, 1.0);
        const auto py = [&](double v) { return bottom - scale.Fraction(v) * plotHeight; };
        const int ticks = int(std::lround((scale.Max - scale.Min) / scale.Step));
        for (int i = 0; i <= ticks; ++i) {
            const double v = scale.Min + i * scale.Step;
            s_.Line(left, py(v), left + plotWidth, py(v), 0.1, kGrid);
            s_.Text(kLeft, py(v) - 1.7, axis - 1.5, 3.4, TickText(v, scale.Decimals), tickFont, Qt::AlignRight, kMuted);
        }
        s_.Text(kLeft, top - 0.5, axis + 6.0, 3.0, QStringLiteral("℃"), tickFont, Qt::AlignLeft, kMuted);
        const double slot = plotWidth / double(days.size());
        // Date labels at most every 9 mm, so they never touch.
        const int every = std::max(1, int(std::ceil(9.0 / slot)));
        for (std::size_t i = 0; i < days.size(); ++i) {
            const auto& day = days[i];
            const double cx = left + slot * (double(i) + 0.5);
            const double bar = std::clamp(slot * 0.45, 0.4, 4.0);
            s_.Fill(cx - bar / 2, py(day.maximum), bar, std::max(0.2, py(day.minimum) - py(day.maximum)), kBand);
            s_.Line(cx - bar / 2 - 0.4, py(day.Average()), cx + bar / 2 + 0.4, py(day.Average()), 0.5, kMean);
            if (int(i) % every == 0)
                s_.Text(std::clamp(cx - 4.5, kLeft, kRight - 9.0), bottom + 0.8, 9.0, 3.4,
                        day.date.toString(QStringLiteral("MM/dd")), tickFont, Qt::AlignHCenter, kMuted);
        }
        s_.Frame(left, top, plotWidth, plotHeight, 0.2, kMuted);
        const double legend = bottom + 6.0;
        s_.Fill(left, legend + 1.0, 3.0, 2.6, kBand);
        s_.Text(left + 4.0, legend, 30.0, 4.6, translate("SurveyReport", "最小〜最大"), Font(7.0), Qt::AlignLeft);
        s_.Line(left + 36.0, legend + 2.3, left + 40.0, legend + 2.3, 0.5, kMean);
        s_.Text(left + 41.0, legend, 30.0, 4.6, translate("SurveyReport", "平均"), Font(7.0), Qt::AlignLeft);
    }

    // Last page: how each figure was computed, and from what.
    void MethodPage()
    {
        double y = PageTitle(translate("SurveyReport", "計算方法と入力"));
        y = Heading(kLeft, y, kWidth, translate("SurveyReport", "計算式と定数"));
        const QString category = Category(summary_);
        const std::vector<std::pair<QString, QString>> formulas = {
            {QStringLiteral("PPD"),
             translate("SurveyReport", "PPD = 100 − 95·exp(−0.03353·PMV⁴ − 0.2179·PMV²) [%]（ISO 7730:2005 4.2）")},
            {translate("SurveyReport", "作用温度"),
             translate("SurveyReport", "to = A·ta + (1 − A)·tr、A = 0.5（v < 0.2 m/s）、0.6（0.2 ≤ v < 0.6）、"
                                       "0.7（v ≥ 0.6）（ISO 7726:1998 附属書 G）")},
            {translate("SurveyReport", "ドラフト率"),
             translate("SurveyReport", "直前 180 秒（162 行以上で定義）の平均 v̄, t̄a と v の標準偏差 SD から "
                                       "Tu = 100·SD/v̄、DR = (34 − t̄a)·(max(v̄,0.05) − 0.05)^0.62·"
                                       "(0.37·max(v̄,0.05)·Tu + 3.14)、0〜100 % に制限（ISO 7730:2005 6.2）。"
                                       "t̄a < 20 または > 26 ℃、v̄ > 0.5 m/s、Tu < 10 または > 60 % はモデル範囲外")},
            {translate("SurveyReport", "カテゴリー"),
             translate("SurveyReport", "|PMV|：A < 0.2、B < 0.5、C < 0.7；DR：A < 10、B < 20、C < 30 %"
                                       "（ISO 7730:2005 附属書 A 表 A.1）；快適性は PMV と DR の悪い方；"
                                       "EN 16798-1:2019 附属書 B：I < 0.2、II < 0.5、III < 0.7、IV < 1.0")},
            {translate("SurveyReport", "長期評価"),
             translate("SurveyReport", "カテゴリー %1 の |PMV| 限界以上の秒の時間率、PPD 加重時間 Σ PPD/PPD限界、"
                                       "平均 PPD、PPD 時間 Σ PPD、温度範囲外の度時（ISO 7730:2005 附属書 H）")
                 .arg(category)},
            {QStringLiteral("WBGT"),
             translate("SurveyReport",
                       "直前 3600 秒（3240 行以上で定義）の WBGT（屋内）の平均。M = 平均 met·58.15·1.8 W "
                       "として順化者 56.7 − 11.5·log10 M、非順化者 59.9 − 14.1·log10 M "
                       "（ISO 7243:2017 附属書 A）")},
            {translate("SurveyReport", "適応モデル"),
             translate("SurveyReport", "θrm = (θd−1 + 0.8θd−2 + 0.6θd−3 + 0.5θd−4 + 0.4θd−5 + 0.3θd−6 + 0.2θd−7)/3.8、"
                                       "15 ≤ θrm ≤ 30 で適用、θc = 0.33·θrm + 18.8；I：θc − 3 〜 θc + 2、"
                                       "II：−4 〜 +3、III：−5 〜 +4（EN 16798-1:2019 附属書 B.2.2）")},
            {translate("SurveyReport", "分単位ファイル"),
             translate("SurveyReport", "秒記録のない日は分記録の平均を 1行 60 秒として数える。"
                                       "ドラフト率と WBGT 1時間平均はその日には定義しない")},
            {translate("SurveyReport", "平均的な一日"),
             translate("SurveyReport", "時刻別の平均は秒の加重平均、10 % と 90 % は細かい階級"
                                       "（作用温度 0.05 K、PMV 0.01、DR 0.1 %）の累積から読む")},
        };
        const double label = 24.0;
        for (const auto& [name, text] : formulas) {
            s_.Text(kLeft, y, label, 4.2, name, Font(7.5, true), Qt::AlignLeft);
            y += std::max(4.2, s_.Paragraph(kLeft + label, y + 0.3, kWidth - label, text, Font(7.0)) + 0.6);
            s_.Line(kLeft, y, kRight, y, 0.12, kRule);
            y += 0.8;
        }
        y += 1.0;
        y += s_.Paragraph(kLeft, y, kWidth,
                          translate("SurveyReport", "WBGT と PMV の値は計器自身が算出して記録した値であり、"
                                                    "本報告書では再計算していない。"),
                          Font(7.5, true)) +
             kSectionGap;

        y = Heading(kLeft, y, kWidth, translate("SurveyReport", "入力"));
        // One line each, the whole width: a folder path is often long.
        const auto field = [&](const QString& name, const QString& value) {
            s_.Text(kLeft, y, label, 4.6, name, Font(7.5), Qt::AlignLeft, kMuted);
            s_.Text(kLeft + label, y, kWidth - label, 4.6, value.isEmpty() ? kDash : value, Font(7.5), Qt::AlignLeft);
            y += 4.6;
            s_.Line(kLeft, y, kRight, y, 0.12, kRule);
        };
        field(translate("SurveyReport", "データフォルダー"), inputs_.dataFolder);
        field(translate("SurveyReport", "ポート"), inputs_.port);
        field(translate("SurveyReport", "外気温ファイル"),
              inputs_.outdoorFile.isEmpty() ? translate("SurveyReport", "なし") : inputs_.outdoorFile);
        field(translate("SurveyReport", "プログラム"), inputs_.programVersion);
        field(translate("SurveyReport", "読み飛ばした行"),
              QString::number(qint64(Number(summary_, "skipped_rows").value_or(0))));
        y += 1.5;
        const auto listed = [&](const QString& name, const QString& text) {
            s_.Text(kLeft, y, label, 4.2, name, Font(7.5), Qt::AlignLeft, kMuted);
            y += std::max(4.2, s_.Paragraph(kLeft + label, y + 0.3, kWidth - label, text, Font(7.0)) + 0.6);
        };
        listed(translate("SurveyReport", "分記録で数えた日"), DateList(inputs_.minuteDays));
        listed(translate("SurveyReport", "記録のない日"), DateList(inputs_.missingDays));
        y += 1.5;
        Files(y);
        Footer();
    }

    // The files read, in two columns; what does not fit is counted (the sidecar lists every one).
    void Files(double y)
    {
        s_.Text(kLeft, y, kWidth, 4.6,
                translate("SurveyReport", "読み込んだ記録ファイル（%1 件）").arg(inputs_.files.size()), Font(7.5, true),
                Qt::AlignLeft);
        y += 5.0;
        const double rowHeight = 3.5;
        const double bottom = kBottom - 6.0;
        const int perColumn = std::max(1, int((bottom - y) / rowHeight));
        const std::size_t room = std::size_t(2 * perColumn);
        const std::size_t shown =
            inputs_.files.size() <= room ? inputs_.files.size() : room - 1;  // one line says how many more
        const double half = (kWidth - kColumnGap) / 2;
        const double sizeWidth = 24.0;
        for (std::size_t i = 0; i < shown; ++i) {
            const double x = kLeft + double(i / std::size_t(perColumn)) * (half + kColumnGap);
            const double top = y + double(i % std::size_t(perColumn)) * rowHeight;
            const auto& file = inputs_.files[i];
            s_.Text(x, top, half - sizeWidth, rowHeight, QFileInfo(file.path).fileName(), Font(6.5), Qt::AlignLeft);
            s_.Text(x + half - sizeWidth, top, sizeWidth, rowHeight, ByteText(file.bytes), Font(6.5), Qt::AlignRight,
                    kMuted);
        }
        if (shown < inputs_.files.size()) {
            const std::size_t i = shown;
            const double x = kLeft + double(i / std::size_t(perColumn)) * (half + kColumnGap);
            s_.Text(x, y + double(i % std::size_t(perColumn)) * rowHeight, half, rowHeight,
                    translate("SurveyReport", "ほか %1 件（JSON に全件）").arg(inputs_.files.size() - shown), Font(6.5),
                    Qt::AlignLeft, kMuted);
        }
    }

    Sheet& s_;
    QPdfWriter& writer_;
    const QJsonObject& summary_;
    const ReportDistributions& d_;
    const SurveyReportInputs& inputs_;
    double tolerance_;
    std::vector<SurveyVerdict> verdicts_;
    int page_ = 1;
};

}  // namespace

QJsonObject SurveyReportInputsJson(const SurveyReportInputs& inputs)
{
    const auto dates = [](const QList<QDate>& days) {
        QJsonArray array;
        for (const QDate day : days)
            array.append(day.toString(Qt::ISODate));
        return array;
    };
    const auto date = [](QDate day) { return day.isValid() ? QJsonValue(day.toString(Qt::ISODate)) : QJsonValue(); };
    QJsonArray files;
    for (const auto& file : inputs.files)
        files.append(QJsonObject{{QStringLiteral("path"), file.path}, {QStringLiteral("bytes"), file.bytes}});
    QJsonObject object;
    object.insert(QStringLiteral("data_folder"), inputs.dataFolder);
    object.insert(QStringLiteral("port"), inputs.port.isEmpty() ? QJsonValue() : QJsonValue(inputs.port));
    object.insert(QStringLiteral("from"), date(inputs.from));
    object.insert(QStringLiteral("to"), date(inputs.to));
    object.insert(QStringLiteral("files"), files);
    object.insert(QStringLiteral("minute_days"), dates(inputs.minuteDays));
    object.insert(QStringLiteral("missing_days"), dates(inputs.missingDays));
    object.insert(QStringLiteral("outdoor_file"),
                  inputs.outdoorFile.isEmpty() ? QJsonValue() : QJsonValue(inputs.outdoorFile));
    object.insert(QStringLiteral("program_version"), inputs.programVersion);
    return object;
}

std::vector<SurveyVerdict> SurveyVerdicts(const QJsonObject& summary, double tolerancePercent)
{
    const double limit = tolerancePercent / 100;
    const int chosen = CategoryIndex(Category(summary));
    std::vector<SurveyVerdict> verdicts;
    // A share at most `allowed` passes; nothing to judge is None whatever the share says.
    const auto judge = [&](const QString& key, std::optional<double> share, double allowed) {
        SurveyVerdict v{key, std::nullopt, allowed, VerdictResult::None};
        if (share && BasisSeconds(summary, key) > 0) {
            v.value = share;
            v.result = *share <= allowed ? VerdictResult::Pass : VerdictResult::Fail;
        }
        verdicts.push_back(v);
    };
    const auto beyond = [&](const char* key, const QStringList& classes) -> std::optional<double> {
        const QJsonObject shares = Object(summary, key);
        if (shares.isEmpty())
            return std::nullopt;
        return ShareBeyond(shares, classes, chosen);
    };
    judge(QStringLiteral("pmv_category"), beyond("pmv_category", kAbc), limit);
    judge(QStringLiteral("dr_category"), beyond("dr_category", kAbc), limit);
    judge(QStringLiteral("comfort_category"), beyond("comfort_category", kAbc), limit);
    judge(QStringLiteral("long_term"), Number(Object(summary, "long_term"), "share_outside"), limit);
    judge(QStringLiteral("wbgt_twa"), Number(Object(summary, "wbgt_twa"), "over_unacclimatised"), 0.0);
    if (summary.value(QStringLiteral("adaptive")).isObject())
        judge(QStringLiteral("adaptive"), beyond("adaptive", kRoman), limit);
    return verdicts;
}

QJsonObject SurveyVerdictsJson(const std::vector<SurveyVerdict>& verdicts)
{
    QJsonObject object;
    for (const SurveyVerdict& v : verdicts)
        object.insert(v.key, QJsonObject{{QStringLiteral("value"), v.value ? QJsonValue(*v.value) : QJsonValue()},
                                         {QStringLiteral("limit"), v.limit},
                                         {QStringLiteral("result"), ResultKey(v.result)}});
    return object;
}

QJsonObject SurveyReportSidecar(const QJsonObject& summary, const SurveyReportInputs& inputs,
                                const std::vector<SurveyVerdict>& verdicts)
{
    QJsonObject object = summary;
    object.insert(QStringLiteral("inputs"), SurveyReportInputsJson(inputs));
    object.insert(QStringLiteral("verdicts"), SurveyVerdictsJson(verdicts));
    return object;
}

QByteArray SurveyReportPdf(const QJsonObject& summary, const ReportDistributions& distributions,
                           const SurveyReportInputs& inputs, double tolerancePercent)
{
    const QString title = translate("SurveyReport", "温熱環境調査報告書") + u' ' + DateText(inputs.from) +
                          QStringLiteral(" – ") + DateText(inputs.to);
    QByteArray bytes =
        PaintA4Page(kResolution, title, inputs.programVersion, [&](QPainter& painter, QPdfWriter& writer) {
            Sheet sheet(painter);
            SurveyPainter(sheet, writer, summary, distributions, inputs, tolerancePercent).Paint();
        });
    MapRadicalsToIdeographs(bytes);
    return bytes;
}

QString SurveyReportSidecarPath(const QString& pdfPath)
{
    if (pdfPath.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        return pdfPath.left(pdfPath.size() - 4) + QStringLiteral(".json");
    return pdfPath + QStringLiteral(".json");
}

bool WriteSurveyReport(const QString& pdfPath, const QJsonObject& summary, const ReportDistributions& distributions,
                       const SurveyReportInputs& inputs, double tolerancePercent, FileIo& io, QString* error)
{
    const std::vector<SurveyVerdict> verdicts = SurveyVerdicts(summary, tolerancePercent);
    const QByteArray pdf = SurveyReportPdf(summary, distributions, inputs, tolerancePercent);
    const QByteArray sidecar =
        QJsonDocument(SurveyReportSidecar(summary, inputs, verdicts)).toJson(QJsonDocument::Indented);
    const QString sidecarPath = SurveyReportSidecarPath(pdfPath);
    const auto fail = [&](const QString& path, const FileWriteError& why) {
        if (error != nullptr)
            *error = QStringLiteral("cannot write %1: %2").arg(path, why.Text());
        return false;
    };

    // The sidecar is made under a name of its own beside it first and takes its place only once the
    // report is in place, so a failure at any step leaves the earlier pair as it was. The staged name
    // follows the pattern of the sidecar's temporary files, so one a killed run left is cleared.
    const QFileInfo sidecarInfo(sidecarPath);
    const QString staged = sidecarInfo.absolutePath() + QStringLiteral("/.") + sidecarInfo.fileName() +
                           QStringLiteral(".report.qemra-tmp");
    FileWriteError why;
    if (!ReplaceFile(staged, sidecar, io, WhenNoTemporaryFile::Fail, &why))
        return fail(sidecarPath, why);
    if (!ReplaceFile(pdfPath, pdf, io, WhenNoTemporaryFile::Fail, &why)) {
        QFile::remove(staged);
        return fail(pdfPath, why);
    }
    if (std::rename(QFile::encodeName(staged).constData(), QFile::encodeName(sidecarPath).constData()) != 0) {
        const int code = errno;
        QFile::remove(staged);
        return fail(sidecarPath, FileWriteError{false, code});
    }
    return true;
}

}  // namespace qemra
