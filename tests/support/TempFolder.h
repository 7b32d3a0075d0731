#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A fresh folder per test, removed when the test ends; files are read back as raw bytes.
class TempFolder {
public:
    TempFolder();
    QString path() const;                        // ends with "/"
    QString file(const QString& name) const;     // path() + name
    QByteArray read(const QString& name) const;  // whole file, empty when missing
    void write(const QString& name, const QByteArray& bytes) const;
    bool exists(const QString& name) const;

private:
    QTemporaryDir dir_;
};
