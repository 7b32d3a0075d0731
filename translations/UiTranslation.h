#pragma once

#include "common/UiLanguage.h"

#include <QTranslator>
#include <memory>

namespace qemra {

// Installs the screens' translation for the language into the running application; Japanese, the
// texts' own language, needs none. The application keeps using the translator for as long as the
// returned object lives.
std::unique_ptr<QTranslator> InstallUiTranslation(UiLanguage language);

// The language the user's environment asks for, QLocale::system().uiLanguages() read as
// ChooseUiLanguage does, unless the override names one.
UiLanguage SystemUiLanguage(std::optional<UiLanguage> override = std::nullopt);

}  // namespace qemra
