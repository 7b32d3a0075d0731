#include "parameters/ParameterSet.h"

#include "common/FloatText.h"
#include "common/IniFile.h"
#include "common/NumberText.h"
#include "common/Prompts.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>

#include <cmath>
#include <vector>

namespace qemra {

const QString kParameterNotConvertible =
    QStringLiteral(QT_TRANSLATE_NOOP("ParameterSet", "変換できない文字がありました\n設定数値を確認してください！"));

QString ParameterNotConvertibleMessage()
{
    return QCoreApplication::translate("ParameterSet", kParameterNotConvertible.toUtf8().constData());
}

namespace {

template <auto Member>
constexpr TParameterKey Key(const char* section, const char* name, float defaultValue)
{
    return {section, name, defaultValue, [](TWritePrm& p) -> float& { return p.*Member; },
            [](const TWritePrm& p) { return p.*Member; }};
}

template <auto Member, std::size_t Index>
constexpr TParameterKey Key(const char* section, const char* name, float defaultValue)
{
    return {section, name, defaultValue, [](TWritePrm& p) -> float& { return (p.*Member)[Index]; },
            [](const TWritePrm& p) { return (p.*Member)[Index]; }};
}

constexpr const char* kEarly = "Early";
constexpr const char* kSystem = "System";

// A text that is a decimal number with "." and fits single precision; anything else is no value.
bool ParseValue(const QString& text, float& value) { return TryTextToSingle(text, value, QLatin1Char('.')); }

// The shape of a decimal number, whatever its size: a number too large for any float is still a
// number the file holds, not a text to replace by the default.
bool IsNumberText(const QString& text)
{
    static const QRegularExpression kNumber(QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?$"));
    return kNumber.match(text.trimmed()).hasMatch();
}

}  // namespace

const std::array<TParameterKey, kParameterKeyCount> ParameterKeys = {{
    Key<&TWritePrm::ErDifCenter>(kEarly, "ErDifCenter", 0.0f),
    Key<&TWritePrm::ErDifDir, 0>(kEarly, "ErDifDir0", 0.0f),
    Key<&TWritePrm::ErDifDir, 1>(kEarly, "ErDifDir1", 0.0f),
    Key<&TWritePrm::ErDifDir, 2>(kEarly, "ErDifDir2", 0.0f),
    Key<&TWritePrm::ErDifDir, 3>(kEarly, "ErDifDir3", 0.0f),
    Key<&TWritePrm::HeaterWatt>(kEarly, "HeaterWatt", 0.2f),
    Key<&TWritePrm::DifT0m>(kEarly, "DifT0m", 50.0f),
    Key<&TWritePrm::AdjDifT>(kEarly, "AdjDifT", 20.0f),
    Key<&TWritePrm::AdjWS>(kEarly, "AdjWS", 5.0f),
    Key<&TWritePrm::DIV, 0>(kEarly, "DIV0", 0.0f),
    Key<&TWritePrm::VAL, 0>(kEarly, "VAL0", 0.0f),
    Key<&TWritePrm::DIV, 1>(kEarly, "DIV1", 0.0f),
    Key<&TWritePrm::VAL, 1>(kEarly, "VAL1", 0.0f),
    Key<&TWritePrm::DIV, 2>(kEarly, "DIV2", 0.0f),
    Key<&TWritePrm::VAL, 2>(kEarly, "VAL2", 0.0f),
    Key<&TWritePrm::DIV, 3>(kEarly, "DIV3", 0.0f),
    Key<&TWritePrm::VAL, 3>(kEarly, "VAL3", 0.0f),
    Key<&TWritePrm::DIV, 4>(kEarly, "DIV4", 0.0f),
    Key<&TWritePrm::VAL, 4>(kEarly, "VAL4", 0.0f),
    Key<&TWritePrm::DIV, 5>(kEarly, "DIV5", 0.0f),
    Key<&TWritePrm::VAL, 5>(kEarly, "VAL5", 0.0f),
    Key<&TWritePrm::DIV, 6>(kEarly, "DIV6", 0.0f),
    Key<&TWritePrm::VAL, 6>(kEarly, "VAL6", 0.0f),
    Key<&TWritePrm::DIV, 7>(kEarly, "DIV7", 0.0f),
    Key<&TWritePrm::VAL, 7>(kEarly, "VAL7", 0.0f),
    Key<&TWritePrm::DIV, 8>(kEarly, "DIV8", 0.0f),
    Key<&TWritePrm::VAL, 8>(kEarly, "VAL8", 0.0f),
    Key<&TWritePrm::DIV, 9>(kEarly, "DIV9", 0.0f),
    Key<&TWritePrm::VAL, 9>(kEarly, "VAL9", 0.0f),
    Key<&TWritePrm::ATRevice0>(kEarly, "ATRevice0", 0.0f),
    Key<&TWritePrm::ATRevice1>(kEarly, "ATRevice1", 0.0f),
    Key<&TWritePrm::WDTRevice0>(kEarly, "WDTRevice0", 0.0f),
    Key<&TWritePrm::WDTRevice1>(kEarly, "WDTRevice1", 0.0f),
    Key<&TWritePrm::ATRev>(kEarly, "ATRev", 9.0f),
    Key<&TWritePrm::BGT_Revice0>(kEarly, "BGT_Revice0", 0.0f),
    Key<&TWritePrm::BGT_Revice1>(kEarly, "BGT_Revice1", 0.0f),
    Key<&TWritePrm::BBT_Revice0>(kEarly, "BBT_Revice0", 0.0f),
    Key<&TWritePrm::BBT_Revice1>(kEarly, "BBT_Revice1", 0.0f),
    Key<&TWritePrm::BBT_Revice2>(kEarly, "BBT_Revice2", 0.0f),
    Key<&TWritePrm::BGT_Coef>(kEarly, "BGT_Coef", 3.0f),
    Key<&TWritePrm::ChipStdV>(kSystem, "ChipStdV", 2.5f),
}};

void SetParameterDefaults(TWritePrm& prm)
{
    for (const TParameterKey& key : ParameterKeys)
        key.Field(prm) = key.Default;
}

bool ParameterValueWritable(float value) { return std::isfinite(value) && std::fabs(value) <= 99999.0f; }

ParameterLoad LoadParameterFile(TWritePrm& prm, const QString& path)
{
    FileIo system;
    return LoadParameterFile(prm, path, system);
}

ParameterLoad LoadParameterFile(TWritePrm& prm, const QString& path, FileIo& io)
{
    IniDocument file;
    switch (IniFile(path, io).Read(file)) {
    case IniRead::Read:
        break;
    case IniRead::Missing:
        SetParameterDefaults(prm);
        return ParameterLoad::Missing;
    case IniRead::Unreadable:
        return ParameterLoad::Unreadable;
    case IniRead::TooLarge:
        return ParameterLoad::TooLarge;
    }
    // Into a copy first: a file with a value that can never be sent changes nothing.
    TWritePrm loaded = prm;
    for (const TParameterKey& key : ParameterKeys) {
        // A missing key reads as the empty text, which is no number either.
        const QString text =
            file.Value(QLatin1StringView(key.Section), QLatin1StringView(key.Name)).value_or(QString());
        float value = key.Default;
        if (IsNumberText(text) && !(ParseValue(text, value) && ParameterValueWritable(value)))
            return ParameterLoad::OutOfRange;
        key.Field(loaded) = value;
    }
    prm = loaded;
    return ParameterLoad::Loaded;
}

bool SaveParameterFile(const TWritePrm& prm, const QString& path)
{
    FileIo system;
    return SaveParameterFile(prm, path, system);
}

bool SaveParameterFile(const TWritePrm& prm, const QString& path, FileIo& io)
{
    std::vector<IniEntry> entries;
    entries.reserve(ParameterKeys.size());
    for (const TParameterKey& key : ParameterKeys) {
        entries.push_back({QLatin1StringView(key.Section), QLatin1StringView(key.Name),
                           GeneralFloatText(static_cast<double>(key.Value(prm)), kParameterFileExponentBelow)});
    }
    return IniFile(path, io).WriteStrings(entries);
}

QString ParameterLoadMessage(ParameterLoad result, const QString& fileName)
{
    switch (result) {
    case ParameterLoad::Missing:
        return QCoreApplication::translate("ParameterSet", "%1が見つかりません。").arg(fileName);
    case ParameterLoad::Unreadable:
        return QCoreApplication::translate("ParameterSet", "%1を読み込めません。").arg(fileName);
    case ParameterLoad::TooLarge:
        return QCoreApplication::translate("ParameterSet", "%1は1MBを超えるため読み込めません。").arg(fileName);
    case ParameterLoad::Loaded:
    case ParameterLoad::OutOfRange:
        break;
    }
    return {};
}

void ReportParameterLoad(ParameterLoad result, const QString& path, Prompts& prompts, const QString& outOfRangeWarning)
{
    if (result == ParameterLoad::OutOfRange)
        prompts.Warning(QCoreApplication::translate("ParameterSet", outOfRangeWarning.toUtf8().constData()));
    else if (result != ParameterLoad::Loaded)
        prompts.Error(ParameterLoadMessage(result, QFileInfo(path).fileName()));
}

}  // namespace qemra
