#pragma once

#include <QChar>
#include <QString>

namespace qemra {

// Below this magnitude (and not zero) the general text switches to the exponent form.
inline constexpr double kParameterFileExponentBelow = 0.0001;
inline constexpr double kRecordFileExponentBelow = 0.00001;

// General text with 15 significant digits, "." as decimal point, no trailing zeros, no point for
// whole numbers; exponent form ("6.25000029685907E-5") below `exponentBelow` or past 15 integer
// digits. A single-precision value widened to double keeps its rounding: 0.2f gives
// 0.200000002980232.
QString GeneralFloatText(double value, double exponentBelow);
// The same text with the given decimal separator in place of ".", for files in the user's locale.
QString GeneralFloatText(double value, double exponentBelow, QChar decimalSeparator);

}  // namespace qemra
