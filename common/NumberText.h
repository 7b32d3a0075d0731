#pragma once

#include <QChar>
#include <QString>

namespace qemra {

// The program writes and reads numbers with "." whatever the user's locale: the instrument and
// every file take nothing else, and an edit shows what the read-back takes, so "1,5" is no number.
inline constexpr QChar kDecimalPoint = u'.';

// The user locale's decimal separator (QLocale::system()); no text of the program uses it.
QChar SystemDecimalSeparator();

// printf-style text of one number: the format holds exactly one %f-style conversion (flags, width,
// precision as printf) among literal text, e.g. "%1.3f m/s.", "%1.2f ℃"; the decimal point of the
// number is replaced by the given separator.
QString FormatFloat(const QString& format, double value, QChar decimalSeparator = kDecimalPoint);

// The same for one %d conversion, e.g. "%d /s.".
QString FormatInt(const QString& format, long long value);

// The standard decimal conversion: optional blanks around, optional sign, digits with at most one
// decimal separator, optional exponent. Returns false (and leaves `out` alone) for anything else:
// empty text, "abc", "1,5" when the separator is ".", thousands separators, "inf", "nan".
bool TryTextToFloat(const QString& text, double& out, QChar decimalSeparator = kDecimalPoint);

// The same conversion rounded to single precision; a number that would round past the single range
// (to infinity) counts as no number.
bool TryTextToSingle(const QString& text, float& out, QChar decimalSeparator = kDecimalPoint);

}  // namespace qemra
