#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace qemra {

// The language of the screens. Files, the wire and the logs never follow it.
enum class UiLanguage { Japanese, English };

// "ja" or "en" as given to --lang; nothing for any other text.
std::optional<UiLanguage> ParseUiLanguage(const QString& code);

// English when the override says so, or without one when the first of the user's UI languages (as
// QLocale::system().uiLanguages() lists them) is English; Japanese for everything else, the C and
// POSIX locales included.
UiLanguage ChooseUiLanguage(const QStringList& uiLanguages, std::optional<UiLanguage> override = std::nullopt);

}  // namespace qemra
