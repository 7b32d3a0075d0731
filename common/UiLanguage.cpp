// UiLanguage.cpp: the screens' language from the user's languages and the command line.
#include "common/UiLanguage.h"

namespace qemra {

std::optional<UiLanguage> ParseUiLanguage(const QString& code)
{
    if (code == QLatin1String("ja"))
        return UiLanguage::Japanese;
    if (code == QLatin1String("en"))
        return UiLanguage::English;
    return std::nullopt;
}

UiLanguage ChooseUiLanguage(const QStringList& uiLanguages, std::optional<UiLanguage> override)
{
    if (override)
        return *override;
    if (uiLanguages.isEmpty())
        return UiLanguage::Japanese;
    // "en", "en-US", "en_GB.UTF-8" all name English; "C" and "POSIX" name no language at all.
    const QString first = uiLanguages.front();
    const bool english = first.startsWith(QLatin1String("en"), Qt::CaseInsensitive) &&
                         (first.size() == 2 || QStringLiteral("-_.@").contains(first.at(2)));
    return english ? UiLanguage::English : UiLanguage::Japanese;
}

}  // namespace qemra
