#pragma once

#include <QDate>
#include <QSet>
#include <QString>
#include <QStringList>

namespace qemra {

// The "Record" folder of a data folder as listed once: which daily record files it holds.
// Second record files are "RT_" + port + "_" + yyyymmdd + ".csv", minute record files
// "RT_" + yyyymmdd + ".RCD".
class RecordFolder {
public:
    explicit RecordFolder(const QString& dataFolder);

    bool Exists() const { return exists_; }
    QString Path() const { return path_; }  // ends with "/"

    // The days with a record file of either kind, in order.
    QList<QDate> Days() const;
    // The ports with a second record file of a day from `from` to `to`, sorted.
    QStringList PortsBetween(QDate from, QDate to) const;
    // The file's path, or empty when the folder holds no such file.
    QString SecondRecordFile(const QString& port, QDate day) const;
    QString MinuteRecordFile(QDate day) const;

private:
    QString path_;
    bool exists_ = false;
    QSet<QString> names_;
};

}  // namespace qemra
