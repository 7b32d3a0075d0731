#include "survey/SummaryReport.h"

#include <QDate>
#include <QDateTime>
#include <QJsonValue>
#include <QLocale>
#include <QTime>

#include <cstdlib>

namespace qemra {

namespace {

constexpr const char* kQuantityKeys[kRecordQuantities] = {
    "wind", "air_temp", "rh",      "radiant_temp", "mets",      "clo",
    "pmv",  "wbgt_out", "wbgt_in", "abs_humidity", "dew_point", "wet_bulb",
};

struct PmvName {
    PmvCategory category;
    const char* key;
};
constexpr PmvName kPmvNames[kPmvCategories] = {
    {PmvCategory::A, "A"}, {PmvCategory::B, "B"}, {PmvCategory::C, "C"}, {PmvCategory::Outside, "outside"}};

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

// The shortest text that reads back as the same double: a value from a file shows as written.
QString Shortest(double value) { return QString::number(value, 'g', QLocale::FloatingPointShortest); }

QJsonValue TimeValue(const std::optional<RecordTime>& time)
{
    return time ? QJsonValue(IsoLocalTime(*time)) : QJsonValue(QJsonValue::Null);
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
    for (const PmvName& name : kPmvNames)
        pmv.insert(QString::fromLatin1(name.key), summary.Share(name.category));
    QJsonObject wbgt;
    for (const WbgtName& name : kWbgtNames)
        wbgt.insert(QString::fromLatin1(name.key), summary.Share(name.level));

    QJsonObject object;
    object.insert(QStringLiteral("rows"), QJsonValue(static_cast<qint64>(summary.Rows())));
    object.insert(QStringLiteral("first"), TimeValue(summary.First()));
    object.insert(QStringLiteral("last"), TimeValue(summary.Last()));
    object.insert(QStringLiteral("quantities"), quantities);
    object.insert(QStringLiteral("pmv_category"), pmv);
    object.insert(QStringLiteral("wbgt_level"), wbgt);
    object.insert(QStringLiteral("skipped_rows"), QJsonValue(static_cast<qint64>(summary.SkippedRows())));
    return object;
}

QString SummaryTable(const SurveySummary& summary)
{
    const bool any = summary.Rows() > 0;
    const QString none = QStringLiteral("-");
    auto row = [](const QString& name, const QString& value) { return name.leftJustified(14) + value + u'\n'; };

    QString text;
    text += row(QStringLiteral("rows"), QString::number(summary.Rows()));
    text += row(QStringLiteral("first"), summary.First() ? IsoLocalTime(*summary.First()) : none);
    text += row(QStringLiteral("last"), summary.Last() ? IsoLocalTime(*summary.Last()) : none);
    text += QStringLiteral("%1%2%3%4\n")
                .arg(QStringLiteral("quantity"), -14)
                .arg(QStringLiteral("min"), 12)
                .arg(QStringLiteral("avg"), 12)
                .arg(QStringLiteral("max"), 12);
    for (int i = 0; i < kRecordQuantities; ++i) {
        const RecordQuantity quantity = QuantityAt(i);
        // The extremes as written in the files; the average to three decimals, as it is no file value.
        text += QStringLiteral("%1%2%3%4\n")
                    .arg(QString::fromLatin1(QuantityKey(quantity)), -14)
                    .arg(any ? Shortest(summary.Minimum(quantity)) : none, 12)
                    .arg(any ? QString::number(summary.Average(quantity), 'f', 3) : none, 12)
                    .arg(any ? Shortest(summary.Maximum(quantity)) : none, 12);
    }
    QString pmv;
    for (const PmvName& name : kPmvNames)
        pmv += QStringLiteral("%1 %2  ").arg(QString::fromLatin1(name.key),
                                             QString::number(summary.Share(name.category), 'f', 4));
    text += row(QStringLiteral("pmv_category"), pmv.trimmed());
    QString wbgt;
    for (const WbgtName& name : kWbgtNames)
        wbgt += QStringLiteral("%1 %2  ").arg(QString::fromLatin1(name.key),
                                              QString::number(summary.Share(name.level), 'f', 4));
    text += row(QStringLiteral("wbgt_level"), wbgt.trimmed());
    text += row(QStringLiteral("skipped_rows"), QString::number(summary.SkippedRows()));
    return text;
}

}  // namespace qemra
