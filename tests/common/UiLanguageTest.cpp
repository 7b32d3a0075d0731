#include "common/UiLanguage.h"

#include <gtest/gtest.h>

using namespace qemra;

namespace {

TEST(UiLanguageTest, TakesEnglishOnlyWhenTheFirstUiLanguageIsEnglishOrTheOptionSaysSo)
{
    struct Case {
        QStringList uiLanguages;
        const char* option;  // the value of --lang; nullptr: not given
        UiLanguage expected;
    };
    const Case cases[] = {
        {{"en"}, nullptr, UiLanguage::English},
        {{"en-US", "en"}, nullptr, UiLanguage::English},
        {{"en_GB.UTF-8"}, nullptr, UiLanguage::English},
        {{"ja-JP", "en-US"}, nullptr, UiLanguage::Japanese},
        {{"de-DE", "en"}, nullptr, UiLanguage::Japanese},
        {{"C"}, nullptr, UiLanguage::Japanese},
        {{"POSIX"}, nullptr, UiLanguage::Japanese},
        {{"eng"}, nullptr, UiLanguage::Japanese},
        {{}, nullptr, UiLanguage::Japanese},
        {{"ja-JP"}, "en", UiLanguage::English},
        {{"C"}, "en", UiLanguage::English},
        {{"en-US"}, "ja", UiLanguage::Japanese},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.uiLanguages.join(QLatin1Char(',')).toStdString() + " --lang " + (c.option ? c.option : "-"));
        const std::optional<UiLanguage> option =
            c.option != nullptr ? ParseUiLanguage(QString::fromLatin1(c.option)) : std::nullopt;
        EXPECT_EQ(ChooseUiLanguage(c.uiLanguages, option), c.expected);
    }
}

TEST(UiLanguageTest, RefusesAnOptionValueOtherThanJaOrEn)
{
    for (const char* value : {"", "EN", "english", "fr", "ja-JP", " en"})
        EXPECT_FALSE(ParseUiLanguage(QString::fromLatin1(value)).has_value()) << '"' << value << '"';
}

}  // namespace
