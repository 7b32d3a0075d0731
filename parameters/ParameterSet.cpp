#include "parameters/ParameterSet.h"

#include "common/FloatText.h"
#include "common/IniFile.h"
#include "common/NumberText.h"

namespace qemra {

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
// The limit is FLT_MAX plus half its last place, so a saved FLT_MAX (15 digits, rounded up) loads.
bool ParseValue(const QString& text, float& value) { return TryTextToSingle(text, value, QLatin1Char('.')); }

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

void LoadParameterFile(TWritePrm& prm, const QString& path)
{
    const IniFile ini(path);
    for (const TParameterKey& key : ParameterKeys) {
        // A missing key reads as the empty text, which is no number either.
        float value = key.Default;
        ParseValue(ini.ReadString(QLatin1StringView(key.Section), QLatin1StringView(key.Name), QString()), value);
        key.Field(prm) = value;
    }
}

bool SaveParameterFile(const TWritePrm& prm, const QString& path)
{
    IniFile ini(path);
    for (const TParameterKey& key : ParameterKeys) {
        const QString text = GeneralFloatText(static_cast<double>(key.Value(prm)), kParameterFileExponentBelow);
        if (!ini.WriteString(QLatin1StringView(key.Section), QLatin1StringView(key.Name), text))
            return false;
    }
    return true;
}

}  // namespace qemra
