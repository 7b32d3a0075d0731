#include "survey/SummaryReport.h"

#include <QDate>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonValue>
#include <QTime>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace qemra {

namespace {

constexpr const char* kQuantityKeys[kRecordQuantities] = {
    "wind", "air_temp", "rh",      "radiant_temp", "mets",      "clo",
    "pmv",  "wbgt_out", "wbgt_in", "abs_humidity", "dew_point", "wet_bulb",
};

constexpr const char* kCategoryKeys[kPmvCategories] = {"A", "B", "C", "outside"};
constexpr ComfortCategory kCategories[kPmvCategories] = {ComfortCategory::A, ComfortCategory::B, ComfortCategory::C,
                                                         ComfortCategory::Outside};
constexpr const char* kEn16798Keys[kEn16798Categories] = {"I", "II", "III", "IV", "outside"};
constexpr const char* kAdaptiveKeys[kAdaptiveCategories] = {"I", "II", "III", "outside"};

struct WbgtName {
    WbgtLevel level;
    const char* key;
};
constexpr WbgtName kWbgtNames[kWbgtLevels] = {{WbgtLevel::Safe, "safe"},
                                              {WbgtLevel::Caution, "caution"},
                                              {WbgtLevel::Warning, "warning"},
                                              {WbgtLevel::Severe, "severe"},
                                              {WbgtLevel::Danger, "danger"}};

RecordQuantity QuantityAt(int i) { return static_cast<RecordQuantity>(i); }

QJsonValue TimeValue(const std::optional<RecordTime>& time)
{
    return time ? QJsonValue(IsoLocalTime(*time)) : QJsonValue(QJsonValue::Null);
}

QJsonValue Count(std::int64_t value) { return QJsonValue(static_cast<qint64>(value)); }

QJsonObject RangeJson(const FigureRange& range)
{
    const bool any = range.seconds > 0;
    QJsonObject figures;
    figures.insert(QStringLiteral("min"), any ? QJsonValue(range.minimum) : QJsonValue());
    figures.insert(QStringLiteral("avg"), any ? QJsonValue(range.Average()) : QJsonValue());
    figures.insert(QStringLiteral("max"), any ? QJsonValue(range.maximum) : QJsonValue());
    return figures;
}

// A name and its figures: the report's one structure, as JSON keys or as a table line.
struct Item {
    QString key;
    QString text;  // the table's text of the value
};

// At most six significant digits, for a terminal; the JSON keeps every digit.
QString Figure(double value) { return QString::number(value, 'g', 6); }
QString Share(double value) { return QString::number(value, 'f', 4); }
const QString kNone = QStringLiteral("-");

QString Pairs(const std::vector<Item>& items)
{
    QStringList parts;
    for (const Item& item : items)
        parts.append(item.key + u' ' + item.text);
    return parts.join(QStringLiteral("  "));
}

// Lines of cells: the first column left-aligned and at least 14 wide with its gap, as the table
// always began; the others each as wide as their widest cell, right-aligned for numbers or
// left-aligned for texts.
class Grid {
public:
    explicit Grid(bool numbers = false) : numbers_(numbers) {}
    void Add(QStringList cells) { lines_.append(std::move(cells)); }
    QString Text() const
    {
        std::vector<qsizetype> widths;
        for (const QStringList& cells : lines_)
            for (qsizetype i = 0; i < cells.size(); ++i) {
                if (static_cast<std::size_t>(i) >= widths.size())
                    widths.push_back(0);
                widths[static_cast<std::size_t>(i)] = std::max(widths[static_cast<std::size_t>(i)], cells[i].size());
            }
        if (!widths.empty())
            widths[0] = std::max<qsizetype>(widths[0] + 2, 14);
        QString text;
        for (const QStringList& cells : lines_) {
            QString line;
            for (qsizetype i = 0; i < cells.size(); ++i) {
                const qsizetype width = widths[static_cast<std::size_t>(i)];
                if (i == 0)
                    line += cells[i].leftJustified(width);
                else if (numbers_)
                    line += (i > 1 ? QStringLiteral("  ") : QString()) + cells[i].rightJustified(width);
                else
                    line += cells[i];
            }
            text += line.trimmed() + u'\n';
        }
        return text;
    }

private:
    bool numbers_;
    QList<QStringList> lines_;
};

QStringList RangeCells(const QString& name, const FigureRange& range)
{
    const bool any = range.seconds > 0;
    return {name, any ? Figure(range.minimum) : kNone, any ? Figure(range.Average()) : kNone,
            any ? Figure(range.maximum) : kNone};
}

// The lines of the summary before the comfort figures, the quantity rows left open for more.
void AddSummaryLines(const SurveySummary& summary, Grid& head, Grid& quantities)
{
    const bool any = summary.Rows() > 0;
    head.Add({QStringLiteral("rows"), QString::number(summary.Rows())});
    head.Add({QStringLiteral("first"), summary.First() ? IsoLocalTime(*summary.First()) : kNone});
    head.Add({QStringLiteral("last"), summary.Last() ? IsoLocalTime(*summary.Last()) : kNone});
    quantities.Add({QStringLiteral("quantity"), QStringLiteral("min"), QStringLiteral("avg"), QStringLiteral("max")});
    for (int i = 0; i < kRecordQuantities; ++i) {
        const RecordQuantity quantity = QuantityAt(i);
        quantities.Add({QString::fromLatin1(QuantityKey(quantity)), any ? Figure(summary.Minimum(quantity)) : kNone,
                        any ? Figure(summary.Average(quantity)) : kNone,
                        any ? Figure(summary.Maximum(quantity)) : kNone});
    }
}

void AddShareLines(const SurveySummary& summary, Grid& lines)
{
    std::vector<Item> pmv;
    for (int i = 0; i < kPmvCategories; ++i)
        pmv.push_back({QLatin1String(kCategoryKeys[i]), Share(summary.Share(kCategories[i]))});
    lines.Add({QStringLiteral("pmv_category"), Pairs(pmv)});
    std::vector<Item> wbgt;
    for (const WbgtName& name : kWbgtNames)
        wbgt.push_back({QLatin1String(name.key), Share(summary.Share(name.level))});
    lines.Add({QStringLiteral("wbgt_level"), Pairs(wbgt)});
    lines.Add({QStringLiteral("skipped_rows"), QString::number(summary.SkippedRows())});
    lines.Add({QStringLiteral("duplicate_rows"), QString::number(summary.DuplicateRows())});
}

}  // namespace

const char* QuantityKey(RecordQuantity quantity) { return kQuantityKeys[QuantityIndex(quantity)]; }

QString IsoLocalTime(const RecordTime& time)
{
    const QDate date(time.year, time.month, time.day);
    const QTime clock(time.hour, time.minute, time.second);
    const int offset = QDateTime(date, clock, Qt::LocalTime).offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return date.toString(Qt::ISODate) + u'T' + clock.toString(QStringLiteral("HH:mm:ss")) + (offset < 0 ? u'-' : u'+') +
           QStringLiteral("%1:%2").arg(minutes / 60, 2, 10, QChar(u'0')).arg(minutes % 60, 2, 10, QChar(u'0'));
}

QJsonObject SummaryJson(const SurveySummary& summary)
{
    const bool any = summary.Rows() > 0;
    QJsonObject quantities;
    for (int i = 0; i < kRecordQuantities; ++i) {
        const RecordQuantity quantity = QuantityAt(i);
        QJsonObject figures;
        figures.insert(QStringLiteral("min"), any ? QJsonValue(summary.Minimum(quantity)) : QJsonValue());
        figures.insert(QStringLiteral("avg"), any ? QJsonValue(summary.Average(quantity)) : QJsonValue());
        figures.insert(QStringLiteral("max"), any ? QJsonValue(summary.Maximum(quantity)) : QJsonValue());
        quantities.insert(QString::fromLatin1(QuantityKey(quantity)), figures);
    }
    QJsonObject pmv;
    for (int i = 0; i < kPmvCategories; ++i)
        pmv.insert(QLatin1String(kCategoryKeys[i]), summary.Share(kCategories[i]));
    QJsonObject wbgt;
    for (const WbgtName& name : kWbgtNames)
        wbgt.insert(QString::fromLatin1(name.key), summary.Share(name.level));

    QJsonObject object;
    object.insert(QStringLiteral("rows"), Count(summary.Rows()));
    object.insert(QStringLiteral("first"), TimeValue(summary.First()));
    object.insert(QStringLiteral("last"), TimeValue(summary.Last()));
    object.insert(QStringLiteral("quantities"), quantities);
    object.insert(QStringLiteral("pmv_category"), pmv);
    object.insert(QStringLiteral("wbgt_level"), wbgt);
    object.insert(QStringLiteral("skipped_rows"), Count(summary.SkippedRows()));
    object.insert(QStringLiteral("duplicate_rows"), Count(summary.DuplicateRows()));
    return object;
}

QJsonObject SummaryJson(const SurveySummary& summary, const ComfortFigures& comfort)
{
    QJsonObject object = SummaryJson(summary);
    const ComfortOptions& options = comfort.Options();

    QJsonObject quantities = object[QStringLiteral("quantities")].toObject();
    quantities.insert(QStringLiteral("ppd"), RangeJson(comfort.Ppd()));
    quantities.insert(QStringLiteral("operative_temp"), RangeJson(comfort.OperativeTemp()));
    quantities.insert(QStringLiteral("draught_rate"), RangeJson(comfort.DraughtRate()));
    quantities.insert(QStringLiteral("turbulence_intensity"), RangeJson(comfort.TurbulenceIntensity()));
    object.insert(QStringLiteral("quantities"), quantities);

    QJsonObject selection;
    selection.insert(QStringLiteral("hours"),
                     options.occupied.HasSpan() ? QJsonValue(options.occupied.SpanText()) : QJsonValue());
    selection.insert(QStringLiteral("days"), options.occupied.HasDays()
                                                 ? QJsonValue(QJsonArray::fromStringList(options.occupied.DayNames()))
                                                 : QJsonValue());
    selection.insert(QStringLiteral("category"), QLatin1String(CategoryName(options.category)));
    object.insert(QStringLiteral("selection"), selection);

    const auto share = [](std::int64_t part, std::int64_t whole) {
        return whole > 0 ? static_cast<double>(part) / static_cast<double>(whole) : 0.0;
    };
    object.insert(
        QStringLiteral("draught"),
        QJsonObject{{QStringLiteral("seconds"), Count(comfort.DraughtSeconds())},
                    {QStringLiteral("outside_model"), share(comfort.OutsideModelSeconds(), comfort.DraughtSeconds())}});
    QJsonObject dr;
    QJsonObject overall;
    for (int i = 0; i < kPmvCategories; ++i) {
        dr.insert(QLatin1String(kCategoryKeys[i]), comfort.DraughtShare(kCategories[i]));
        overall.insert(QLatin1String(kCategoryKeys[i]), comfort.ComfortShare(kCategories[i]));
    }
    object.insert(QStringLiteral("dr_category"), dr);
    object.insert(QStringLiteral("comfort_category"), overall);
    QJsonObject en;
    for (int i = 0; i < kEn16798Categories; ++i)
        en.insert(QLatin1String(kEn16798Keys[i]), comfort.En16798Share(static_cast<En16798Category>(i)));
    object.insert(QStringLiteral("en16798_category"), en);

    const double seconds = static_cast<double>(comfort.Seconds());
    QJsonObject longTerm;
    longTerm.insert(QStringLiteral("category"), QLatin1String(CategoryName(options.category)));
    longTerm.insert(QStringLiteral("pmv_limit"), PmvLimitOf(options.category));
    longTerm.insert(QStringLiteral("hours"), seconds / 3600.0);
    longTerm.insert(QStringLiteral("hours_outside"), static_cast<double>(comfort.SecondsOutside()) / 3600.0);
    longTerm.insert(QStringLiteral("share_outside"), share(comfort.SecondsOutside(), comfort.Seconds()));
    longTerm.insert(QStringLiteral("ppd_weighted_hours"), comfort.PpdWeightedSeconds() / 3600.0);
    longTerm.insert(QStringLiteral("average_ppd"), comfort.Ppd().Average());
    longTerm.insert(QStringLiteral("ppd_hours"), comfort.Ppd().sum / 3600.0);
    longTerm.insert(QStringLiteral("degree_hours"),
                    options.toRange ? QJsonValue(comfort.DegreeSeconds() / 3600.0) : QJsonValue());
    object.insert(QStringLiteral("long_term"), longTerm);

    const auto peak = comfort.WbgtMaximum();
    QJsonObject wbgt;
    wbgt.insert(QStringLiteral("seconds"), Count(comfort.WbgtSeconds()));
    wbgt.insert(QStringLiteral("max"), peak ? QJsonValue(peak->average) : QJsonValue());
    wbgt.insert(QStringLiteral("max_at"), peak ? QJsonValue(IsoLocalTime(peak->time)) : QJsonValue());
    wbgt.insert(QStringLiteral("over_acclimatised"), share(comfort.WbgtOverAcclimatised(), comfort.WbgtSeconds()));
    wbgt.insert(QStringLiteral("over_unacclimatised"), share(comfort.WbgtOverUnacclimatised(), comfort.WbgtSeconds()));
    object.insert(QStringLiteral("wbgt_twa"), wbgt);

    if (options.outdoor) {
        QJsonObject adaptive;
        adaptive.insert(QStringLiteral("seconds"), Count(comfort.AdaptiveSeconds()));
        for (int i = 0; i < kAdaptiveCategories; ++i)
            adaptive.insert(QLatin1String(kAdaptiveKeys[i]), comfort.AdaptiveShare(static_cast<AdaptiveCategory>(i)));
        adaptive.insert(QStringLiteral("not_applicable"), Count(comfort.AdaptiveNotApplicable()));
        object.insert(QStringLiteral("adaptive"), adaptive);
    } else {
        object.insert(QStringLiteral("adaptive"), QJsonValue());
    }
    return object;
}

QString SummaryTable(const SurveySummary& summary)
{
    Grid head;
    Grid quantities(true);
    Grid tail;
    AddSummaryLines(summary, head, quantities);
    AddShareLines(summary, tail);
    return head.Text() + quantities.Text() + tail.Text();
}

QString SummaryTable(const SurveySummary& summary, const ComfortFigures& comfort)
{
    const ComfortOptions& options = comfort.Options();
    Grid head;
    Grid quantities(true);
    Grid tail;
    AddSummaryLines(summary, head, quantities);
    quantities.Add(RangeCells(QStringLiteral("ppd"), comfort.Ppd()));
    quantities.Add(RangeCells(QStringLiteral("operative_temp"), comfort.OperativeTemp()));
    quantities.Add(RangeCells(QStringLiteral("draught_rate"), comfort.DraughtRate()));
    quantities.Add(RangeCells(QStringLiteral("turbulence_intensity"), comfort.TurbulenceIntensity()));
    AddShareLines(summary, tail);

    tail.Add(
        {QStringLiteral("selection"),
         Pairs({{QStringLiteral("hours"), options.occupied.HasSpan() ? options.occupied.SpanText() : kNone},
                {QStringLiteral("days"), options.occupied.HasDays() ? options.occupied.DayNames().join(u',') : kNone},
                {QStringLiteral("category"), QLatin1String(CategoryName(options.category))}})});
    const auto share = [](std::int64_t part, std::int64_t whole) {
        return Share(whole > 0 ? static_cast<double>(part) / static_cast<double>(whole) : 0.0);
    };
    tail.Add({QStringLiteral("draught"), Pairs({{QStringLiteral("seconds"), QString::number(comfort.DraughtSeconds())},
                                                {QStringLiteral("outside_model"),
                                                 share(comfort.OutsideModelSeconds(), comfort.DraughtSeconds())}})});
    std::vector<Item> dr;
    std::vector<Item> overall;
    for (int i = 0; i < kPmvCategories; ++i) {
        dr.push_back({QLatin1String(kCategoryKeys[i]), Share(comfort.DraughtShare(kCategories[i]))});
        overall.push_back({QLatin1String(kCategoryKeys[i]), Share(comfort.ComfortShare(kCategories[i]))});
    }
    tail.Add({QStringLiteral("dr_category"), Pairs(dr)});
    tail.Add({QStringLiteral("comfort_category"), Pairs(overall)});
    std::vector<Item> en;
    for (int i = 0; i < kEn16798Categories; ++i)
        en.push_back({QLatin1String(kEn16798Keys[i]), Share(comfort.En16798Share(static_cast<En16798Category>(i)))});
    tail.Add({QStringLiteral("en16798_category"), Pairs(en)});

    const double seconds = static_cast<double>(comfort.Seconds());
    tail.Add({QStringLiteral("long_term"),
              Pairs({{QStringLiteral("category"), QLatin1String(CategoryName(options.category))},
                     {QStringLiteral("pmv_limit"), Figure(PmvLimitOf(options.category))},
                     {QStringLiteral("hours"), Figure(seconds / 3600.0)},
                     {QStringLiteral("hours_outside"), Figure(static_cast<double>(comfort.SecondsOutside()) / 3600.0)},
                     {QStringLiteral("share_outside"), share(comfort.SecondsOutside(), comfort.Seconds())}})});
    tail.Add({QStringLiteral("long_term_ppd"),
              Pairs({{QStringLiteral("ppd_weighted_hours"), Figure(comfort.PpdWeightedSeconds() / 3600.0)},
                     {QStringLiteral("average_ppd"), Figure(comfort.Ppd().Average())},
                     {QStringLiteral("ppd_hours"), Figure(comfort.Ppd().sum / 3600.0)},
                     {QStringLiteral("degree_hours"),
                      options.toRange ? Figure(comfort.DegreeSeconds() / 3600.0) : kNone}})});
    const auto peak = comfort.WbgtMaximum();
    tail.Add({QStringLiteral("wbgt_twa"), Pairs({{QStringLiteral("seconds"), QString::number(comfort.WbgtSeconds())},
                                                 {QStringLiteral("max"), peak ? Figure(peak->average) : kNone},
                                                 {QStringLiteral("max_at"), peak ? IsoLocalTime(peak->time) : kNone},
                                                 {QStringLiteral("over_acclimatised"),
                                                  share(comfort.WbgtOverAcclimatised(), comfort.WbgtSeconds())},
                                                 {QStringLiteral("over_unacclimatised"),
                                                  share(comfort.WbgtOverUnacclimatised(), comfort.WbgtSeconds())}})});
    if (options.outdoor) {
        std::vector<Item> adaptive{{QStringLiteral("seconds"), QString::number(comfort.AdaptiveSeconds())}};
        for (int i = 0; i < kAdaptiveCategories; ++i)
            adaptive.push_back(
                {QLatin1String(kAdaptiveKeys[i]), Share(comfort.AdaptiveShare(static_cast<AdaptiveCategory>(i)))});
        adaptive.push_back({QStringLiteral("not_applicable"), QString::number(comfort.AdaptiveNotApplicable())});
        tail.Add({QStringLiteral("adaptive"), Pairs(adaptive)});
    } else {
        tail.Add({QStringLiteral("adaptive"), kNone});
    }
    return head.Text() + quantities.Text() + tail.Text();
}

}  // namespace qemra
