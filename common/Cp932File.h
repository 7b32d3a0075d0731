#pragma once

#include "common/FileIo.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace qemra {

// Code page 932 text through iconv. Characters that CP932 cannot hold become "?".
QByteArray ToCp932(const QString& text);
QString FromCp932(const QByteArray& bytes);

// Every line in CP932 followed by CR LF, no byte-order mark.
QByteArray Cp932Lines(const QStringList& lines);

// Whole-file write (replaces the file) and append (creates it when missing). False when the file
// cannot be opened or fully written; the file is then as it was. A file written whole is replaced
// only once the new text is safely on the disk; a new file never appears empty.
bool WriteCp932Lines(const QString& path, const QStringList& lines);
bool AppendCp932Lines(const QString& path, const QStringList& lines);
bool WriteCp932Lines(const QString& path, const QStringList& lines, FileIo& io);
bool AppendCp932Lines(const QString& path, const QStringList& lines, FileIo& io);

}  // namespace qemra
