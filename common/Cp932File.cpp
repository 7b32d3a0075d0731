#include "common/Cp932File.h"

#include "common/FileReplace.h"

#include <QSysInfo>

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace qemra {

namespace {

// One iconv conversion; the converter is opened for the call and closed when it ends.
class Converter {
public:
    enum class Direction { ToCp932, FromCp932 };

    Converter(Direction direction, const char* otherCode)
    {
        // glibc knows CP932 under several names; older or trimmed installations may lack one.
        for (const char* name : {"CP932", "WINDOWS-31J", "SHIFT_JIS"}) {
            handle_ = direction == Direction::ToCp932 ? iconv_open(name, otherCode) : iconv_open(otherCode, name);
            if (handle_ != invalid())
                break;
        }
    }
    ~Converter()
    {
        if (handle_ != invalid())
            iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool ok() const { return handle_ != invalid(); }

    // Converts all of `in`; an input unit that cannot be converted (`unit` bytes long, or the rest
    // when incomplete) is replaced by `substitute`.
    QByteArray run(const QByteArray& in, std::size_t unit, const QByteArray& substitute) const
    {
        QByteArray out;
        out.reserve(in.size() * 2 + 16);
        char* inPtr = const_cast<char*>(in.constData());
        std::size_t inLeft = static_cast<std::size_t>(in.size());
        char buffer[4096];
        while (inLeft > 0) {
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t result = iconv(handle_, &inPtr, &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<qsizetype>(outPtr - buffer));
            if (result != static_cast<std::size_t>(-1) || errno == E2BIG)
                continue;
            out.append(substitute);
            const std::size_t skip = (errno == EILSEQ) ? std::min(unit, inLeft) : inLeft;
            inPtr += skip;
            inLeft -= skip;
        }
        return out;
    }

private:
    static iconv_t invalid() { return reinterpret_cast<iconv_t>(-1); }
    iconv_t handle_ = invalid();
};

}  // namespace

QByteArray ToCp932(const QString& text)
{
    // Taken as UTF-32, so a character that cannot be converted is always four bytes to skip.
    const QList<uint> ucs4 = text.toUcs4();
    const QByteArray in(reinterpret_cast<const char*>(ucs4.constData()), ucs4.size() * 4);
    const Converter converter(Converter::Direction::ToCp932,
                              QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-32LE" : "UTF-32BE");
    if (!converter.ok()) {
        QByteArray ascii;
        for (const uint c : ucs4)
            ascii.append(c < 0x80 ? static_cast<char>(c) : '?');
        return ascii;
    }
    return converter.run(in, 4, "?");
}

QString FromCp932(const QByteArray& bytes)
{
    const Converter converter(Converter::Direction::FromCp932, "UTF-8");
    if (!converter.ok())
        return QString::fromLatin1(bytes);
    return QString::fromUtf8(converter.run(bytes, 1, "?"));
}

QByteArray Cp932Lines(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += ToCp932(line) + "\r\n";
    return bytes;
}

bool WriteCp932Lines(const QString& path, const QStringList& lines)
{
    FileIo io;
    return WriteCp932Lines(path, lines, io);
}

bool AppendCp932Lines(const QString& path, const QStringList& lines)
{
    FileIo io;
    return AppendCp932Lines(path, lines, io);
}

bool WriteCp932Lines(const QString& path, const QStringList& lines, FileIo& io)
{
    return ReplaceFile(path, Cp932Lines(lines), io);
}

bool AppendCp932Lines(const QString& path, const QStringList& lines, FileIo& io)
{
    return AppendToFile(path, Cp932Lines(lines), io);
}

}  // namespace qemra
