#pragma once

#include "common/FileIo.h"

#include <QString>

namespace qemra {

// An INI file with the profile-string semantics of the operating system the settings come from:
// section and key names match without regard to letter case; a write replaces the key's line in
// place, or appends the key to the end of its section, or appends the section (creating the file);
// every other line stays byte for byte. Lines are written with CR LF; CR LF and LF are read.
// Every call reads the file anew, as the profile functions do; nothing is cached.
class IniFile {
public:
    explicit IniFile(QString path);
    // Writes through `io`, which must outlive this object.
    IniFile(QString path, FileIo& io);

    const QString& Path() const { return path_; }

    // The value with blanks trimmed at both ends; `defaultValue` when file, section or key is missing.
    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
    // Decimal integer; the default when missing or not a number.
    int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
    bool KeyExists(const QString& section, const QString& key) const;

    // False when the file cannot be read or written; the file is then unchanged. The new text
    // replaces the file only once it is safely on the disk; a writable file in a folder that takes
    // no new files is rewritten in place, its old text put back should that fail.
    bool WriteString(const QString& section, const QString& key, const QString& value);

private:
    QString path_;
    FileIo* io_ = nullptr;  // none: the system's calls
};

}  // namespace qemra
