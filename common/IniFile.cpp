#include "common/IniFile.h"

#include "common/FileReplace.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qemra {

namespace {

bool SameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

bool HasLineBreak(const QString& text) { return text.contains(u'\r') || text.contains(u'\n'); }

// Text files hold no control bytes but tab, line feed and carriage return; UTF-16 text (a NUL in
// every ASCII character) and binary data do.
bool LooksLikeText(const QByteArray& bytes)
{
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\t' && c != '\n' && c != '\r') || byte == 0x7F)
            return false;
    }
    return true;
}

// At most `limit` + 1 bytes, so a file that grows while it is read still counts as too large.
bool ReadUpTo(int fd, qint64 limit, QByteArray& bytes)
{
    bytes.clear();
    char buffer[65536];
    while (bytes.size() <= limit) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            break;
        bytes.append(buffer, got);
    }
    return true;
}

const QByteArray kCrLf = "\r\n";

}  // namespace

IniDocument::Line IniDocument::MakeLine(QByteArray body, QByteArray ending)
{
    Line line{std::move(body), std::move(ending), Line::Kind::Other, {}, {}};
    const QString text = QString::fromUtf8(line.body).trimmed();
    if (text.isEmpty() || text.startsWith(u';'))
        return line;
    if (text.startsWith(u'[')) {
        const qsizetype close = text.indexOf(u']');
        line.kind = Line::Kind::Section;
        line.name = text.mid(1, close < 0 ? -1 : close - 1).trimmed();
        return line;
    }
    const qsizetype eq = text.indexOf(u'=');
    if (eq <= 0)
        return line;
    line.kind = Line::Kind::Entry;
    line.name = text.left(eq).trimmed();
    line.value = text.mid(eq + 1).trimmed();
    return line;
}

IniDocument::IniDocument(const QByteArray& bytes)
{
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype lf = bytes.indexOf('\n', start);
        if (lf < 0) {
            lines_.push_back(MakeLine(bytes.mid(start), {}));
            break;
        }
        qsizetype bodyEnd = lf;
        if (bodyEnd > start && bytes[bodyEnd - 1] == '\r')
            --bodyEnd;
        lines_.push_back(MakeLine(bytes.mid(start, bodyEnd - start), bytes.mid(bodyEnd, lf + 1 - bodyEnd)));
        start = lf + 1;
    }
}

IniDocument::Location IniDocument::Find(const QString& section, const QString& key) const
{
    Location where;
    bool inSection = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.kind == Line::Kind::Section) {
            if (inSection)
                break;
            if (SameName(line.name, section)) {
                inSection = true;
                where.sectionFound = true;
                where.lastContentLine = i;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (!line.body.trimmed().isEmpty())
            where.lastContentLine = i;
        if (line.kind == Line::Kind::Entry && !where.keyLine && SameName(line.name, key))
            where.keyLine = i;
    }
    return where;
}

std::optional<QString> IniDocument::Value(const QString& section, const QString& key) const
{
    const Location where = Find(section, key);
    if (!where.keyLine)
        return std::nullopt;
    return lines_[*where.keyLine].value;
}

bool IniDocument::Set(const QString& section, const QString& key, const QString& value)
{
    // A line break in a name or value would put lines of its own into the file.
    const QString trimmedKey = key.trimmed();
    if (trimmedKey.isEmpty() || trimmedKey.contains(u'=') || section.trimmed().isEmpty() || section.contains(u']') ||
        HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value))
        return false;

    const Location where = Find(section, key);
    const QByteArray valueBytes = value.trimmed().toUtf8();
    if (where.keyLine) {
        Line& line = lines_[*where.keyLine];
        if (line.value == value.trimmed())
            return true;  // already so: the line stays as it was written, blanks and all
        // Keep the spelling of the key and the line's own ending; only the value changes.
        const QByteArray keyText = line.body.left(line.body.indexOf('=')).trimmed();
        line = MakeLine(keyText + '=' + valueBytes, line.ending);
    } else if (where.sectionFound) {
        Line& last = lines_[where.lastContentLine];
        if (last.ending.isEmpty())
            last.ending = kCrLf;
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(where.lastContentLine) + 1,
                      MakeLine(trimmedKey.toUtf8() + '=' + valueBytes, kCrLf));
    } else {
        if (!lines_.empty() && lines_.back().ending.isEmpty())
            lines_.back().ending = kCrLf;
        lines_.push_back(MakeLine('[' + section.trimmed().toUtf8() + ']', kCrLf));
        lines_.push_back(MakeLine(trimmedKey.toUtf8() + '=' + valueBytes, kCrLf));
    }
    return true;
}

QByteArray IniDocument::Bytes() const
{
    QByteArray bytes;
    for (const Line& line : lines_)
        bytes += line.body + line.ending;
    return bytes;
}

IniFile::IniFile(QString path) : path_(std::move(path)) {}

IniFile::IniFile(QString path, FileIo& io) : path_(std::move(path)), io_(&io) {}

IniRead IniFile::Read(IniDocument& document) const
{
    document = IniDocument();
    FileIo system;
    // Not blocking: a named pipe in the file's place must not stop the program.
    const int fd = (io_ ? *io_ : system).Open(QFile::encodeName(path_), O_RDONLY | O_NONBLOCK, 0);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? IniRead::Missing : IniRead::Unreadable;
    struct stat info {};
    QByteArray bytes;
    IniRead result = IniRead::Unreadable;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        if (info.st_size > kMaxBytes) {
            result = IniRead::TooLarge;
        } else if (ReadUpTo(fd, kMaxBytes, bytes)) {
            if (bytes.size() > kMaxBytes)
                result = IniRead::TooLarge;
            else if (LooksLikeText(bytes))
                result = IniRead::Read;
        }
    }
    ::close(fd);
    if (result == IniRead::Read)
        document = IniDocument(bytes);
    return result;
}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const
{
    IniDocument document;
    if (Read(document) != IniRead::Read)
        return defaultValue;
    return document.Value(section, key).value_or(defaultValue);
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
    IniDocument document;
    return Read(document) == IniRead::Read && document.Value(section, key).has_value();
}

bool IniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    return WriteStrings({{section, key, value}});
}

bool IniFile::WriteStrings(const std::vector<IniEntry>& entries)
{
    IniDocument document;
    const IniRead read = Read(document);
    if (read != IniRead::Read && read != IniRead::Missing)
        return false;
    const QByteArray old = document.Bytes();
    for (const IniEntry& entry : entries) {
        if (!document.Set(entry.section, entry.key, entry.value))
            return false;
    }
    const QByteArray result = document.Bytes();
    if (result == old)
        return true;

    // A folder that takes no new files may still hold a writable file, which the profile functions
    // simply rewrite.
    FileIo system;
    return ReplaceFile(path_, result, io_ ? *io_ : system, WhenNoTemporaryFile::RewriteInPlace);
}

}  // namespace qemra
