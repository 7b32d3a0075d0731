#include "common/IniFile.h"

#include "common/FileReplace.h"

#include <QFile>
#include <QFileInfo>

#include <optional>
#include <vector>

namespace qemra {

namespace {

// One line of the file as it stands on disk: its bytes without the ending, and the ending itself
// ("\r\n", "\n" or nothing for a last line without one).
struct RawLine {
    QByteArray body;
    QByteArray ending;
};

std::vector<RawLine> SplitLines(const QByteArray& bytes)
{
    std::vector<RawLine> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype lf = bytes.indexOf('\n', start);
        if (lf < 0) {
            lines.push_back({bytes.mid(start), {}});
            break;
        }
        qsizetype bodyEnd = lf;
        if (bodyEnd > start && bytes[bodyEnd - 1] == '\r')
            --bodyEnd;
        lines.push_back({bytes.mid(start, bodyEnd - start), bytes.mid(bodyEnd, lf + 1 - bodyEnd)});
        start = lf + 1;
    }
    return lines;
}

// What a line means to the profile functions.
struct LineMeaning {
    enum class Kind { Other, Section, Entry } kind = Kind::Other;
    QString name;   // section or key name, blanks trimmed
    QString value;  // entry value, blanks trimmed
};

LineMeaning Interpret(const QByteArray& body)
{
    const QString text = QString::fromUtf8(body).trimmed();
    LineMeaning meaning;
    if (text.isEmpty() || text.startsWith(u';'))
        return meaning;
    if (text.startsWith(u'[')) {
        const qsizetype close = text.indexOf(u']');
        meaning.kind = LineMeaning::Kind::Section;
        meaning.name = text.mid(1, close < 0 ? -1 : close - 1).trimmed();
        return meaning;
    }
    const qsizetype eq = text.indexOf(u'=');
    if (eq <= 0)
        return meaning;
    meaning.kind = LineMeaning::Kind::Entry;
    meaning.name = text.left(eq).trimmed();
    meaning.value = text.mid(eq + 1).trimmed();
    return meaning;
}

bool SameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// Where a key sits in the file. The first section of the name and, inside it, the first entry of the
// key count; later duplicates are never read or written.
struct Location {
    bool sectionFound = false;
    std::size_t lastContentLine = 0;  // last non-blank line of the section (the header at least)
    std::optional<std::size_t> keyLine;
    QString keyValue;
};

Location Find(const std::vector<RawLine>& lines, const QString& section, const QString& key)
{
    Location where;
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const LineMeaning meaning = Interpret(lines[i].body);
        if (meaning.kind == LineMeaning::Kind::Section) {
            if (inSection)
                break;
            if (SameName(meaning.name, section)) {
                inSection = true;
                where.sectionFound = true;
                where.lastContentLine = i;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (!lines[i].body.trimmed().isEmpty())
            where.lastContentLine = i;
        if (meaning.kind == LineMeaning::Kind::Entry && !where.keyLine && SameName(meaning.name, key)) {
            where.keyLine = i;
            where.keyValue = meaning.value;
        }
    }
    return where;
}

std::optional<QByteArray> ReadAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

bool HasLineBreak(const QString& text) { return text.contains(u'\r') || text.contains(u'\n'); }

const QByteArray kCrLf = "\r\n";

}  // namespace

IniFile::IniFile(QString path) : path_(std::move(path)) {}

IniFile::IniFile(QString path, FileIo& io) : path_(std::move(path)), io_(&io) {}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const
{
    const std::optional<QByteArray> bytes = ReadAll(path_);
    if (!bytes)
        return defaultValue;
    const Location where = Find(SplitLines(*bytes), section, key);
    return where.keyLine ? where.keyValue : defaultValue;
}

int IniFile::ReadInteger(const QString& section, const QString& key, int defaultValue) const
{
    const QString text = ReadString(section, key, QString());
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : defaultValue;
}

bool IniFile::KeyExists(const QString& section, const QString& key) const
{
    const std::optional<QByteArray> bytes = ReadAll(path_);
    return bytes && Find(SplitLines(*bytes), section, key).keyLine.has_value();
}

bool IniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    // A line break in a name or value would put lines of its own into the file.
    const QString trimmedKey = key.trimmed();
    if (trimmedKey.isEmpty() || trimmedKey.contains(u'=') || section.trimmed().isEmpty() || section.contains(u']') ||
        HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value))
        return false;

    QByteArray old;
    if (QFileInfo::exists(path_)) {
        const std::optional<QByteArray> bytes = ReadAll(path_);
        if (!bytes)
            return false;
        old = *bytes;
    }

    std::vector<RawLine> lines = SplitLines(old);
    const Location where = Find(lines, section, key);
    const QByteArray valueBytes = value.trimmed().toUtf8();

    if (where.keyLine && where.keyValue == value.trimmed())
        return true;  // already so: the line stays as it was written, blanks and all
    if (where.keyLine) {
        // Keep the spelling of the key and the line's own ending; only the value changes.
        RawLine& line = lines[*where.keyLine];
        const QByteArray keyText = line.body.left(line.body.indexOf('=')).trimmed();
        line.body = keyText + '=' + valueBytes;
    } else if (where.sectionFound) {
        RawLine& last = lines[where.lastContentLine];
        if (last.ending.isEmpty())
            last.ending = kCrLf;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(where.lastContentLine) + 1,
                     RawLine{trimmedKey.toUtf8() + '=' + valueBytes, kCrLf});
    } else {
        if (!lines.empty() && lines.back().ending.isEmpty())
            lines.back().ending = kCrLf;
        lines.push_back({'[' + section.trimmed().toUtf8() + ']', kCrLf});
        lines.push_back({trimmedKey.toUtf8() + '=' + valueBytes, kCrLf});
    }

    QByteArray result;
    result.reserve(old.size() + valueBytes.size() + trimmedKey.size() + section.size() + 8);
    for (const RawLine& line : lines)
        result += line.body + line.ending;
    if (result == old)
        return true;

    // A folder that takes no new files may still hold a writable file, which the profile functions
    // simply rewrite.
    FileIo system;
    return ReplaceFile(path_, result, io_ ? *io_ : system, WhenNoTemporaryFile::RewriteInPlace);
}

}  // namespace qemra
