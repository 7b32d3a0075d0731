// UiTranslation.cpp: loads the embedded translation of the screens.
#include "translations/UiTranslation.h"

#include <QCoreApplication>
#include <QLocale>

namespace qemra {

std::unique_ptr<QTranslator> InstallUiTranslation(UiLanguage language)
{
    if (language != UiLanguage::English)
        return nullptr;
    auto translator = std::make_unique<QTranslator>();
    // The build embeds the compiled translation; a missing one would leave the screens in Japanese.
    if (!translator->load(QStringLiteral(":/i18n/qemra_en.qm")))
        return nullptr;
    QCoreApplication::installTranslator(translator.get());
    return translator;
}

UiLanguage SystemUiLanguage(std::optional<UiLanguage> override)
{
    return ChooseUiLanguage(QLocale::system().uiLanguages(), override);
}

}  // namespace qemra
