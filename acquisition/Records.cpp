#include "acquisition/Records.h"

#include "common/NumberText.h"

#include <cmath>
#include <limits>
#include <string_view>

namespace qemra {

namespace {

constexpr std::array<const char*, kCodeCount> kCodes = {
    "M01", "M11", "C01", "C11", "C12", "C32", "C50", "C51",  // group 0
    "C52", "C53", "S00", "S01", "S11", "S12", "S13", "C21",  // group 1
    "C22", "C16", "C17", "M05", "M51", "M52", "M53", "M54",  // group 2
    "M55", "M21", "M22", "M23", "M31", "M32", "M33", "C26",  // group 3
    "C27", "M04", "M12", "C71", "C72", "C76", "C77", "C78",  // group 4
    "H50", "H51", "H82", "C13", "M00", "M00", "M00", "M00",  // group 5
    "M00", "M00",                                            // never polled
};

struct CodeField {
    const char* code;
    TMesField field;
};

// The field of every code in use, in CodeTable order.
constexpr std::array<CodeField, kCodesInUse> kFields = {{
    {"M01", &TMesData::M01}, {"M11", &TMesData::M11}, {"C01", &TMesData::C01}, {"C11", &TMesData::C11},
    {"C12", &TMesData::C12}, {"C32", &TMesData::C32}, {"C50", &TMesData::C50}, {"C51", &TMesData::C51},
    {"C52", &TMesData::C52}, {"C53", &TMesData::C53}, {"S00", &TMesData::S00}, {"S01", &TMesData::S01},
    {"S11", &TMesData::S11}, {"S12", &TMesData::S12}, {"S13", &TMesData::S13}, {"C21", &TMesData::C21},
    {"C22", &TMesData::C22}, {"C16", &TMesData::C16}, {"C17", &TMesData::C17}, {"M05", &TMesData::M05},
    {"M51", &TMesData::M51}, {"M52", &TMesData::M52}, {"M53", &TMesData::M53}, {"M54", &TMesData::M54},
    {"M55", &TMesData::M55}, {"M21", &TMesData::M21}, {"M22", &TMesData::M22}, {"M23", &TMesData::M23},
    {"M31", &TMesData::M31}, {"M32", &TMesData::M32}, {"M33", &TMesData::M33}, {"C26", &TMesData::C26},
    {"C27", &TMesData::C27}, {"M04", &TMesData::M04}, {"M12", &TMesData::M12}, {"C71", &TMesData::C71},
    {"C72", &TMesData::C72}, {"C76", &TMesData::C76}, {"C77", &TMesData::C77}, {"C78", &TMesData::C78},
    {"H50", &TMesData::H50}, {"H51", &TMesData::H51}, {"H82", &TMesData::H82}, {"C13", &TMesData::C13},
}};

constexpr bool FieldsFollowCodeTable()
{
    for (int i = 0; i < kCodesInUse; ++i)
        if (std::string_view(kFields[i].code) != std::string_view(kCodes[i]))
            return false;
    for (int i = kCodesInUse; i < kCodeCount; ++i)
        if (std::string_view(kCodes[i]) != "M00")
            return false;
    return true;
}
static_assert(FieldsFollowCodeTable(), "field table out of step with the code table");

// Single precision as IEEE rounding gives it; a plain cast would be undefined past the float range.
// The limit is FLT_MAX plus half its last place: from there on the rounding goes to infinity.
float ToSingle(double value)
{
    constexpr double kOverflow = 0x1.ffffffp127;
    if (std::fabs(value) >= kOverflow)
        return value > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

// The low 32 bits of the number truncated toward zero (two's complement), for any finite double.
// fmod is exact, so huge numbers wrap as an integer conversion with wrap-around would.
std::uint32_t LowBits(double value)
{
    const double wrapped = std::fmod(std::trunc(value), 4294967296.0);  // |wrapped| < 2^32
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(wrapped));
}

struct Assign {
    TMesData& record;
    double number;
    void operator()(std::monostate) const {}
    void operator()(float TMesData::*f) const { record.*f = ToSingle(number); }
    void operator()(std::int32_t TMesData::*f) const { record.*f = static_cast<std::int32_t>(LowBits(number)); }
    void operator()(std::uint8_t TMesData::*f) const { record.*f = static_cast<std::uint8_t>(LowBits(number)); }
};

struct Read {
    const TMesData& record;
    double operator()(std::monostate) const { return 0; }
    template <typename T>
    double operator()(T TMesData::*f) const
    {
        return static_cast<double>(record.*f);
    }
};

bool ConvertValue(const QString& valueText, double& number)
{
    double converted = 0;
    if (!TryTextToFloat(valueText, converted) || !std::isfinite(converted))
        return false;
    number = converted;
    return true;
}

}  // namespace

const std::array<const char*, kCodeCount> CodeTable = kCodes;

TMesField FieldAt(int codeIndex)
{
    if (codeIndex < 0 || codeIndex >= kCodesInUse)
        return std::monostate{};
    return kFields[codeIndex].field;
}

int CodeIndex(const QString& code)
{
    for (int i = 0; i < kCodesInUse; ++i)
        if (code == QLatin1StringView(kFields[i].code))
            return i;
    return -1;
}

void StoreValue(TMesData& record, const QString& code, const QString& valueText)
{
    // Every code in use appears once in the table, so the first match is the only one.
    StoreValueAt(record, CodeIndex(code), valueText);
}

void StoreValueAt(TMesData& record, int codeIndex, const QString& valueText)
{
    const TMesField field = FieldAt(codeIndex);
    if (std::holds_alternative<std::monostate>(field))
        return;
    double number = 0;
    if (!ConvertValue(valueText, number))
        return;
    std::visit(Assign{record, number}, field);
}

double ValueAt(const TMesData& record, int codeIndex) { return std::visit(Read{record}, FieldAt(codeIndex)); }

static_assert((TMesHistory::kSlots & (TMesHistory::kSlots - 1)) == 0, "the ring wraps by masking");

const TMesData& TMesHistory::operator[](int age) const
{
    const unsigned physical = static_cast<unsigned>(head_) + static_cast<unsigned>(age);
    return slots_[physical & (kSlots - 1)];
}

void TMesHistory::Push(const TMesData& record, TDateTime now)
{
    // Moving the head instead of shifting 1023 records: the new slot 0 is the old slot 1023.
    head_ = (head_ + kSlots - 1) & (kSlots - 1);
    TMesData& newest = slots_[static_cast<std::size_t>(head_)];
    newest = record;
    newest.Stamp = now;
    newest.Measuring = 1;
}

void TMesHistory::Clear()
{
    for (TMesData& slot : slots_) {
        slot.Stamp = 0;
        slot.Measuring = 0;
        slot.M01 = 0;
        slot.M11 = 0;
    }
}

}  // namespace qemra
