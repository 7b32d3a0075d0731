// Number texts: any text either converts or is refused; a number that converts and is printed
// again with enough digits converts back to itself; formatting with any format never overruns.
#include "FuzzInput.h"
#include "common/NumberText.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

using namespace qemra;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const QChar separator = (input.Byte() & 1) != 0 ? QChar(u',') : QChar(u'.');
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(input.Data()), static_cast<qsizetype>(input.Size()));

    double value = 0;
    if (TryTextToFloat(text, value, separator)) {
        if (!std::isfinite(value))
            std::abort();
        double back = 0;
        if (!TryTextToFloat(FormatFloat(QStringLiteral("%.17e"), value, separator), back, separator) || back != value)
            std::abort();
    }
    float single = 0;
    if (TryTextToSingle(text, single, separator) && !std::isfinite(single))
        std::abort();

    // The same bytes as a format around a number taken from the input.
    double number = 0;
    std::memcpy(&number, input.Data(), std::min<std::size_t>(sizeof number, input.Size()));
    (void)FormatFloat(text, number, separator);
    (void)FormatInt(text, static_cast<long long>(input.Size()) - 64);
    return 0;
}
