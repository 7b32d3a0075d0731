#pragma once

#include "common/DateTime.h"
#include "common/FileIo.h"

#include <QString>
#include <array>

namespace qemra {

class Prompts;

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

// True when the value can go to the instrument: finite and at most 99999 in magnitude, so that even
// the longest write request, eight correction-table pairs "%1.2f", fits into its 128 characters.
bool ParameterValueWritable(float value);

// What a load made of its file. Only Loaded and Missing change the parameter set.
enum class ParameterLoad {
    Loaded,      // every keyed field from the file, or its default where the file has no number
    Missing,     // no file: every keyed field has its default
    Unreadable,  // a folder, a file that cannot be opened, or no text (UTF-16, binary data)
    TooLarge,    // over IniFile::kMaxBytes
    OutOfRange,  // a number that ParameterValueWritable refuses
};

// Reads the file once and takes every keyed field from it; a key that is missing or holds no
// decimal number (with ".") takes its default. CalStart and SerialNo stay as they are.
ParameterLoad LoadParameterFile(TWritePrm& prm, const QString& path);
ParameterLoad LoadParameterFile(TWritePrm& prm, const QString& path, FileIo& io);

// Writes every keyed field into the file in one replace; other lines and sections stay, byte for
// byte as key-by-key profile writes leave them. False when the file cannot be read or written:
// it then holds its old bytes.
bool SaveParameterFile(const TWritePrm& prm, const QString& path);
bool SaveParameterFile(const TWritePrm& prm, const QString& path, FileIo& io);

// The error text for a load that did not take its file (Missing, Unreadable, TooLarge), naming the
// file; empty for the other results.
QString ParameterLoadMessage(ParameterLoad result, const QString& fileName);

// The warning for a parameter text that is no number, or a value that cannot be sent.
extern const QString kParameterNotConvertible;
// The same in the screens' language.
QString ParameterNotConvertibleMessage();

// Tells the user why a load did not take the file at `path`: `outOfRangeWarning` as a warning for
// a value that cannot be sent (in the screens' language), an error box with ParameterLoadMessage
// otherwise; nothing for Loaded.
void ReportParameterLoad(ParameterLoad result, const QString& path, Prompts& prompts, const QString& outOfRangeWarning);

}  // namespace qemra
