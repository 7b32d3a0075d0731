#pragma once

#include "common/FileIo.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace qemra {

// How reading a settings file whole went.
enum class IniRead {
    Read,
    Missing,     // no file at the path
    Unreadable,  // a folder, a file that cannot be opened, or bytes that are no text
    TooLarge,    // more than IniFile::kMaxBytes
};

// One key to write, for IniFile::WriteStrings.
struct IniEntry {
    QString section;
    QString key;
    QString value;
};

// The lines of one INI file held in memory, looked up and changed with the rules of IniFile. Every
// line keeps its bytes and ending until a change touches it.
class IniDocument {
public:
    IniDocument() = default;  // no lines: a file that does not exist yet
    explicit IniDocument(const QByteArray& bytes);

    // The value with blanks trimmed at both ends; nothing when the section or key is missing.
    std::optional<QString> Value(const QString& section, const QString& key) const;
    // As IniFile::WriteString, on the lines in memory. False, with nothing changed, for a name or
    // value that a line cannot hold.
    bool Set(const QString& section, const QString& key, const QString& value);
    QByteArray Bytes() const;

private:
    // One line as it stands in the file, and what it means to the profile functions.
    struct Line {
        QByteArray body;    // the bytes without the ending
        QByteArray ending;  // "\r\n", "\n", or nothing for a last line without one
        enum class Kind { Other, Section, Entry } kind = Kind::Other;
        QString name;   // section or key name, blanks trimmed
        QString value;  // entry value, blanks trimmed
    };
    // Where a key sits: the first section of the name and, inside it, the first entry of the key
    // count; later duplicates are never read or written.
    struct Location {
        bool sectionFound = false;
        std::size_t lastContentLine = 0;  // last non-blank line of the section (the header at least)
        std::optional<std::size_t> keyLine;
    };

    static Line MakeLine(QByteArray body, QByteArray ending);
    Location Find(const QString& section, const QString& key) const;

    std::vector<Line> lines_;
};

// An INI file with the profile-string semantics of the operating system the settings come from:
// section and key names match without regard to letter case; a write replaces the key's line in
// place, or appends the key to the end of its section, or appends the section (creating the file);
// every other line stays byte for byte. Lines are written with CR LF; CR LF and LF are read.
// Every call reads the file anew, as the profile functions do; nothing is cached. A file over
// kMaxBytes, or one holding control bytes no text file has (NUL as in UTF-16, binary data), is
// neither read nor written: reads give the defaults, writes fail.
class IniFile {
public:
    static constexpr qint64 kMaxBytes = qint64{1024} * 1024;

    explicit IniFile(QString path);
    // Reads and writes through `io`, which must outlive this object.
    IniFile(QString path, FileIo& io);

    const QString& Path() const { return path_; }

    // The whole file, read once, for any number of lookups; `document` is left empty unless Read.
    IniRead Read(IniDocument& document) const;

    // The value with blanks trimmed at both ends; `defaultValue` when file, section or key is missing.
    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
    // Decimal integer; the default when missing or not a number.
    int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
    bool KeyExists(const QString& section, const QString& key) const;

    // False when the file cannot be read or written; the file is then unchanged. The new text
    // replaces the file only once it is safely on the disk; a writable file in a folder that takes
    // no new files is rewritten in place, its old text put back should that fail.
    bool WriteString(const QString& section, const QString& key, const QString& value);
    // The writes in order, on one reading of the file, put on the disk in one replace: the file
    // then holds exactly what the writes one by one would leave, or stays as it was (false), never
    // anything in between. One entry that a line cannot hold fails them all.
    bool WriteStrings(const std::vector<IniEntry>& entries);

private:
    QString path_;
    FileIo* io_ = nullptr;  // none: the system's calls
};

}  // namespace qemra
