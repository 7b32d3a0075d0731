#pragma once

#include "common/DateTime.h"

#include <QString>
#include <array>

namespace qemra {

// The program's working copy of the instrument's system parameters. Keyed fields are named after
// their keys in the parameter files.
struct TWritePrm {
    TDateTime CalStart = 0;  // start of the current calibration; in no file
    QString SerialNo;        // instrument serial number from the calibration start; in no file
    float ErDifCenter = 0;   // ErDifCenter and ErDifDir only travel from file to file
    std::array<float, 4> ErDifDir{};
    float HeaterWatt = 0;
    float DifT0m = 0;
    float AdjDifT = 0;
    float AdjWS = 0;
    float ATRevice0 = 0;
    float ATRevice1 = 0;
    float WDTRevice0 = 0;
    float WDTRevice1 = 0;
    float ChipStdV = 0;
    float ATRev = 0;
    float BGT_Revice0 = 0;
    float BGT_Revice1 = 0;
    float BGT_Coef = 0;
    std::array<float, 10> DIV{};  // correction points; VAL[n] is the amount at DIV[n]
    std::array<float, 10> VAL{};
    float BBT_Revice0 = 0;
    float BBT_Revice1 = 0;
    float BBT_Revice2 = 0;
    std::array<float, 2> Unused{};  // the record's last two slots; in no file
};

// One key of the parameter files and the field it holds.
struct TParameterKey {
    const char* Section;
    const char* Name;
    float Default;
    float& (*Field)(TWritePrm&);
    float (*Value)(const TWritePrm&);
};

// Every key in the order of the files: section "Early", then "System".
inline constexpr int kParameterKeyCount = 41;
extern const std::array<TParameterKey, kParameterKeyCount> ParameterKeys;

// The default of every keyed field; CalStart and SerialNo stay as they are.
void SetParameterDefaults(TWritePrm& prm);

// Reads every keyed field from the file; a key that is missing or holds no decimal number
// (with ".") takes its default. Never fails: a missing file gives all defaults.
void LoadParameterFile(TWritePrm& prm, const QString& path);

// Writes every keyed field, key by key, into the file; other lines and sections stay. Stops at the
// first key that cannot be written (the keys before it stay written) and returns false.
bool SaveParameterFile(const TWritePrm& prm, const QString& path);

}  // namespace qemra
