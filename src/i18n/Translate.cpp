#include "i18n/Translate.h"

#include "base/AppState.h"
#include "i18n/RunLanguage.h"

#include <atomic>

QString TranslateWith(const TLanguageOptions& language, const QString& text)
{
    if (language.iLanguage == 0 || AppTerminating.load())
        return text;
    if (language.iLanguage < 0 || language.iLanguage >= language.Translations.size() ||
        language.Translations.isEmpty())
        return text;
    const QStringList& english = language.Translations.at(0);
    const qsizetype index = english.indexOf(text);
    if (index < 0)
        return text;
    const QStringList& target = language.Translations.at(language.iLanguage);
    const QString translated = index < target.size() ? target.at(index) : QString();
    return translated.isEmpty() ? text : translated;
}

namespace {
std::atomic<const TLanguageOptions*> interfaceLanguage{nullptr};
thread_local const TLanguageOptions* runLanguage = nullptr;
} // namespace

TRunLanguageScope::TRunLanguageScope(const TLanguageOptions& language) : previous(runLanguage)
{
    runLanguage = &language;
}

TRunLanguageScope::~TRunLanguageScope()
{
    runLanguage = previous;
}

void InstallInterfaceLanguage(const TLanguageOptions& language)
{
    interfaceLanguage.store(&language);
}

QString Translate(const QString& text)
{
    const TLanguageOptions* language = runLanguage ? runLanguage : interfaceLanguage.load();
    return language ? TranslateWith(*language, text) : text;
}
