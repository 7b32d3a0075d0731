#pragma once

#include "common/DateTime.h"

#include <QString>
#include <array>
#include <cstdint>
#include <variant>

namespace qemra {

inline const QString AppVersion = QStringLiteral("0.82");

// The poll order: group g is entries 8g..8g+7. "M00" is a filler that names no field.
inline constexpr int kCodeCount = 50;
inline constexpr int kCodesInUse = 44;
extern const std::array<const char*, kCodeCount> CodeTable;

// One snapshot of every value the instrument reports; a flat record, copied whole.
struct TMesData {
    TDateTime Stamp = 0;
    std::uint8_t Measuring = 0;
    float M01 = 0, M11 = 0, M12 = 0, M04 = 0;
    float C11 = 0, C01 = 0, C13 = 0, C12 = 0, C32 = 0, C50 = 0, C51 = 0;
    std::int32_t C52 = 0;
    float C53 = 0;
    float C21 = 0, C22 = 0, C16 = 0, C17 = 0, C26 = 0, C27 = 0, C76 = 0, C77 = 0, C78 = 0;
    float M05 = 0, C71 = 0, C72 = 0;
    float M31 = 0, M32 = 0, M33 = 0;
    float M55 = 0, M51 = 0, M52 = 0, M53 = 0, M54 = 0;
    float M21 = 0, M22 = 0, M23 = 0;
    float S00 = 0, S01 = 0;
    std::int32_t S11 = 0, S12 = 0, S13 = 0;
    float H51 = 0;
    std::uint8_t H50 = 0, H82 = 0;
};

// The field a CodeTable index names, for code that reads or writes fields generically;
// std::monostate for the fillers and for indices outside 0..43.
using TMesField = std::variant<std::monostate, float TMesData::*, std::int32_t TMesData::*, std::uint8_t TMesData::*>;
TMesField FieldAt(int codeIndex);
// The CodeTable index of a code in use (exact, case-sensitive); -1 for "M00" and unknown codes.
int CodeIndex(const QString& code);

// Stores one reported value into the field its code names (exact, case-sensitive match).
// float32 fields take the number rounded to single precision (beyond the single range: +-inf);
// int32 fields the number truncated toward zero, wrapped to its low 32 bits; uint8 fields the
// low 8 bits of the truncated number. A text converting to infinity or NaN counts as no number.
// A value text that does not convert, an unknown code or "M00" leaves the record unchanged.
void StoreValue(TMesData& record, const QString& code, const QString& valueText);
// The same for one CodeTable index (0..43); other indices change nothing.
void StoreValueAt(TMesData& record, int codeIndex, const QString& valueText);
// The value of a CodeTable index (0..43) as a double, 0 for fillers; for generic readers.
double ValueAt(const TMesData& record, int codeIndex);

// The one-second history: slot 0 is the newest snapshot, slot k the one k pushes before it.
class TMesHistory {
public:
    static constexpr int kSlots = 1024;

    // Ages outside 0..1023 wrap around.
    const TMesData& operator[](int age) const;
    // Slot 0 := record with Stamp = now and Measuring = 1; the oldest snapshot is lost.
    void Push(const TMesData& record, TDateTime now);
    // Stamp, Measuring, M01 and M11 of every slot become 0; the other fields keep their contents.
    void Clear();

private:
    std::array<TMesData, kSlots> slots_{};
    int head_ = 0;  // physical index of slot 0
};

// State several windows share.
struct TMySts {
    std::uint8_t Maint = 0;
    std::int32_t VerifyCount = 0;
    std::uint8_t VerifyPending = 0;
    std::uint8_t SecRec = 0;
    QString PortName;
};

}  // namespace qemra
