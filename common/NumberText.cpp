#include "common/NumberText.h"

#include <QLocale>

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

namespace qemra {

namespace {

// A format cut around its one conversion: literal text before and after (with "%%" already
// turned into "%"), and the conversion itself without its final letter ("%1.3" of "%1.3f").
struct SplitFormat {
    QString before;
    QString after;
    std::string flags;
    char conversion = 0;  // 0 when the format holds no conversion
};

// Width and precision have at most two digits: the text then always fits the conversion buffer,
// where "%.99999999f" would have the C library write a hundred million digits first.
constexpr qsizetype kMaxFieldDigits = 2;

bool IsFlag(QChar c) { return c == u'-' || c == u'+' || c == u' ' || c == u'#' || c == u'0'; }
bool IsDigit(QChar c) { return c >= u'0' && c <= u'9'; }

SplitFormat Split(const QString& format, const char* conversions)
{
    SplitFormat parts;
    QString* literal = &parts.before;
    const qsizetype n = format.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = format[i];
        if (c != u'%') {
            literal->append(c);
            continue;
        }
        if (i + 1 < n && format[i + 1] == u'%') {
            literal->append(u'%');
            ++i;
            continue;
        }
        if (parts.conversion != 0) {  // only one conversion is honoured
            literal->append(c);
            continue;
        }
        qsizetype j = i + 1;
        while (j < n && IsFlag(format[j]))
            ++j;
        const qsizetype widthStart = j;
        while (j < n && IsDigit(format[j]))
            ++j;
        bool fits = j - widthStart <= kMaxFieldDigits;
        if (j < n && format[j] == u'.') {
            const qsizetype precisionStart = ++j;
            while (j < n && IsDigit(format[j]))
                ++j;
            fits = fits && j - precisionStart <= kMaxFieldDigits;
        }
        const char letter = j < n ? format[j].toLatin1() : 0;
        if (letter == 0 || std::strchr(conversions, letter) == nullptr || !fits) {
            literal->append(c);  // not a conversion this function formats: copied as it stands
            continue;
        }
        parts.flags = format.mid(i, j - i).toStdString();
        parts.conversion = letter;
        literal = &parts.after;
        i = j;
    }
    return parts;
}

// snprintf writes the C library's current decimal point, which follows the process locale.
QString WithSeparator(const char* text, QChar separator)
{
    QString result = QString::fromLatin1(text);
    const char* cPoint = std::localeconv()->decimal_point;
    const QString point = QString::fromLatin1(cPoint && *cPoint ? cPoint : ".");
    const qsizetype at = result.indexOf(point);
    if (at >= 0)
        result.replace(at, point.size(), QString(separator));
    return result;
}

// Digits and at most one separator, at least one digit.
bool ScanMantissa(const QString& text, qsizetype& i, QChar separator, std::string& ascii)
{
    bool digits = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (IsDigit(c)) {
            ascii.push_back(static_cast<char>(c.unicode()));
            digits = true;
        } else if (c == separator && !point) {
            ascii.push_back('.');
            point = true;
        } else {
            break;
        }
    }
    return digits;
}

// from_chars reports a range error for both overflow and underflow; only overflow is an error,
// a value too small to hold is 0. The decimal exponent of the first significant digit decides.
bool IsUnderflow(const std::string& ascii)
{
    const std::size_t e = ascii.find('e');
    const std::string mantissa = ascii.substr(0, e);
    long long exponent = 0;
    if (e != std::string::npos) {
        const char* first = ascii.data() + e + 1;
        const bool negative = *first == '-';
        if (*first == '+' || *first == '-')
            ++first;
        if (std::from_chars(first, ascii.data() + ascii.size(), exponent).ec != std::errc() || exponent > 1'000'000'000)
            return negative;  // an exponent beyond any range: its sign alone decides
        if (negative)
            exponent = -exponent;
    }
    long long wholeDigits = 0;
    long long firstSignificant = -1;  // index among the digits
    long long index = 0;
    bool afterPoint = false;
    for (const char c : mantissa) {
        if (c == '.') {
            afterPoint = true;
            continue;
        }
        if (c < '0' || c > '9')
            continue;
        if (!afterPoint)
            ++wholeDigits;
        if (firstSignificant < 0 && c != '0')
            firstSignificant = index;
        ++index;
    }
    return firstSignificant < 0 || wholeDigits - 1 - firstSignificant + exponent < 0;
}

// printf rounds an exact half to even ("%1.1f" of 21.25 gives 21.2); the displays have always
// rounded halves away from zero. A value exactly on a half is moved one step outwards, which
// leaves every printed digit but the rounded one as it was.
double AwayFromEvenTie(double value, const std::string& flags)
{
    if (!std::isfinite(value) || value == 0)
        return value;
    int precision = 6;
    const std::size_t point = flags.find('.');
    if (point != std::string::npos)
        precision = std::atoi(flags.c_str() + point + 1);
    if (precision > 1000)
        return value;
    // Clearly away from a half, the exact expansion below cannot find one: a cheap test spares
    // most values that expansion. The product errs by at most a few units in its last place.
    if (precision >= 0 && precision <= 22) {
        double scale = 1;
        for (int i = 0; i < precision; ++i)
            scale *= 10;  // exact up to 1e22
        const double scaled = std::fabs(value) * scale;
        if (scaled < 0x1p50 && std::fabs(scaled - std::floor(scaled) - 0.5) > scaled * 0x1p-48)
            return value;
    }
    // A double's decimal expansion ends within 1074 fraction digits, so this text is exact.
    char exact[1500];
    std::snprintf(exact, sizeof exact, "%.1100f", std::fabs(value));
    const char* c = exact;
    while (*c >= '0' && *c <= '9')
        ++c;
    if (*c == 0)
        return value;
    const char* fraction = c + std::strlen(std::localeconv()->decimal_point);
    if (fraction[precision] != '5')
        return value;
    for (const char* z = fraction + precision + 1; *z != 0; ++z) {
        if (*z != '0')
            return value;
    }
    return std::nextafter(value, value > 0 ? HUGE_VAL : -HUGE_VAL);
}

}  // namespace

QChar SystemDecimalSeparator()
{
    const QString point = QLocale::system().decimalPoint();
    return point.isEmpty() ? QChar(u'.') : point.front();
}

QString FormatFloat(const QString& format, double value, QChar decimalSeparator)
{
    const SplitFormat parts = Split(format, "fFeEgG");
    if (parts.conversion == 0)
        return parts.before;
    if (parts.conversion == 'f' || parts.conversion == 'F')
        value = AwayFromEvenTie(value, parts.flags);
    const std::string flags = parts.flags + parts.conversion;
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, flags.c_str(), value);
    return parts.before + WithSeparator(buffer, decimalSeparator) + parts.after;
}

QString FormatInt(const QString& format, long long value)
{
    const SplitFormat parts = Split(format, "diuxX");
    if (parts.conversion == 0)
        return parts.before;
    const std::string flags = parts.flags + "ll" + parts.conversion;
    char buffer[512];
    if (parts.conversion == 'd' || parts.conversion == 'i')
        std::snprintf(buffer, sizeof buffer, flags.c_str(), value);
    else
        std::snprintf(buffer, sizeof buffer, flags.c_str(), static_cast<unsigned long long>(value));
    return parts.before + QString::fromLatin1(buffer) + parts.after;
}

bool TryTextToFloat(const QString& text, double& out, QChar decimalSeparator)
{
    const QString t = text.trimmed();
    qsizetype i = 0;
    std::string ascii;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) {
        if (t[i] == u'-')
            ascii.push_back('-');
        ++i;
    }
    if (!ScanMantissa(t, i, decimalSeparator, ascii))
        return false;
    if (i < t.size() && (t[i] == u'e' || t[i] == u'E')) {
        ascii.push_back('e');
        ++i;
        if (i < t.size() && (t[i] == u'+' || t[i] == u'-'))
            ascii.push_back(static_cast<char>(t[i++].unicode()));
        const qsizetype digitsStart = i;
        while (i < t.size() && IsDigit(t[i]))
            ascii.push_back(static_cast<char>(t[i++].unicode()));
        if (i == digitsStart)
            return false;
    }
    if (i != t.size())
        return false;

    double value = 0;
    const char* first = ascii.data();
    const char* last = ascii.data() + ascii.size();
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec == std::errc::result_out_of_range) {
        if (!IsUnderflow(ascii))
            return false;
        value = ascii.front() == '-' ? -0.0 : 0.0;
    } else if (ec != std::errc() || end != last) {
        return false;
    }
    out = value;
    return true;
}

bool TryTextToSingle(const QString& text, float& out, QChar decimalSeparator)
{
    // Past FLT_MAX plus half its last place, rounding to single precision gives infinity.
    constexpr double kBeyondSingle = 0x1.ffffffp127;
    double number = 0;
    if (!TryTextToFloat(text, number, decimalSeparator) || std::fabs(number) >= kBeyondSingle)
        return false;
    out = static_cast<float>(number);
    return true;
}

}  // namespace qemra
