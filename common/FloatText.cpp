#include "common/FloatText.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace qemra {

QString GeneralFloatText(double value, double exponentBelow)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (value == 0)
        return QStringLiteral("0");

    // Fifteen significant digits, rounded once: "d.dddddddddddddde-xx".
    char buffer[64];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific, 14);
    (void)ec;  // 64 characters always hold the text
    const std::string scientific(buffer, end);
    const std::size_t e = scientific.find('e');
    const int exponent = std::atoi(scientific.c_str() + e + 1);
    std::string digits = scientific.substr(0, 1) + scientific.substr(2, e - 2);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    // The threshold is judged on the rounded value, so 9.99999999999999999E-5 written as 0.0001
    // is not also called too small.
    double rounded = 0;
    std::from_chars(scientific.data(), scientific.data() + scientific.size(), rounded);
    const bool exponentForm = rounded < exponentBelow || exponent >= 15;

    std::string text = value < 0 ? "-" : "";
    if (exponentForm) {
        text += digits.front();
        if (digits.size() > 1)
            text += '.' + digits.substr(1);
        text += 'E' + std::to_string(exponent);
    } else if (exponent >= 0) {
        const std::size_t whole = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= whole) {
            text += digits + std::string(whole - digits.size(), '0');
        } else {
            text += digits.substr(0, whole) + '.' + digits.substr(whole);
        }
    } else {
        text += "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    }
    return QString::fromLatin1(text.c_str());
}

QString GeneralFloatText(double value, double exponentBelow, QChar decimalSeparator)
{
    QString text = GeneralFloatText(value, exponentBelow);
    const qsizetype point = text.indexOf(u'.');
    if (point >= 0)
        text[point] = decimalSeparator;
    return text;
}

}  // namespace qemra
