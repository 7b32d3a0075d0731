#include "survey/RecordFolder.h"

#include <QDir>

#include <algorithm>

namespace qemra {

namespace {

QString DayText(QDate day) { return day.toString(QStringLiteral("yyyyMMdd")); }

}  // namespace

RecordFolder::RecordFolder(const QString& dataFolder)
{
    path_ = dataFolder;
    if (!path_.isEmpty() && !path_.endsWith(u'/'))
        path_ += u'/';
    path_ += QStringLiteral("Record/");
    const QDir dir(path_);
    exists_ = dir.exists();
    if (!exists_)
        return;
    const QStringList names = dir.entryList({QStringLiteral("RT_*.csv"), QStringLiteral("RT_*.RCD")}, QDir::Files);
    names_ = QSet<QString>(names.begin(), names.end());
}

QList<QDate> RecordFolder::Days() const
{
    // The eight digits before the extension: "RT_" + port + "_" + yyyymmdd + ".csv" or "RT_" + yyyymmdd + ".RCD".
    constexpr qsizetype kSuffix = 8 + 4;
    QSet<QDate> days;
    for (const QString& name : names_) {
        const QDate day = QDate::fromString(name.mid(name.size() - kSuffix, 8), QStringLiteral("yyyyMMdd"));
        if (day.isValid())
            days.insert(day);
    }
    QList<QDate> sorted(days.begin(), days.end());
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

QStringList RecordFolder::PortsBetween(QDate from, QDate to) const
{
    // "RT_" + port + "_" + eight digits + ".csv": the port is what lies between, underscores and all.
    constexpr qsizetype kPrefix = 3;
    constexpr qsizetype kSuffix = 1 + 8 + 4;
    QSet<QString> ports;
    for (const QString& name : names_) {
        if (!name.endsWith(QStringLiteral(".csv")) || name.size() <= kPrefix + kSuffix ||
            name[name.size() - kSuffix] != u'_')
            continue;
        const QDate day = QDate::fromString(name.mid(name.size() - kSuffix + 1, 8), QStringLiteral("yyyyMMdd"));
        if (day.isValid() && day >= from && day <= to)
            ports.insert(name.mid(kPrefix, name.size() - kPrefix - kSuffix));
    }
    QStringList sorted(ports.begin(), ports.end());
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

QString RecordFolder::SecondRecordFile(const QString& port, QDate day) const
{
    const QString name = QStringLiteral("RT_") + port + u'_' + DayText(day) + QStringLiteral(".csv");
    return !port.isEmpty() && names_.contains(name) ? path_ + name : QString();
}

QString RecordFolder::MinuteRecordFile(QDate day) const
{
    const QString name = QStringLiteral("RT_") + DayText(day) + QStringLiteral(".RCD");
    return names_.contains(name) ? path_ + name : QString();
}

}  // namespace qemra
