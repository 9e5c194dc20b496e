#include "platform/SystemLanguage.h"

#include <QHash>

QString LanguageCodeForLocale(const QLocale& locale)
{
    // The program's own codes; Japanese, Chinese and Korean keep their historical forms.
    static const QHash<QLocale::Language, QString> codes = {
        {QLocale::Arabic, "ar"},     {QLocale::Chinese, "cn"},  {QLocale::German, "de"},
        {QLocale::Greek, "el"},      {QLocale::Spanish, "es"},  {QLocale::French, "fr"},
        {QLocale::Hungarian, "hu"},  {QLocale::Italian, "it"},  {QLocale::Japanese, "jp"},
        {QLocale::Korean, "kr"},     {QLocale::Dutch, "nl"},    {QLocale::Polish, "pl"},
        {QLocale::Portuguese, "pt"}, {QLocale::Romanian, "ro"}, {QLocale::Russian, "ru"},
        {QLocale::Turkish, "tr"},
    };
    return codes.value(locale.language(), QStringLiteral("en"));
}

QString SystemLanguageCode()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(name);
        if (!value.isEmpty())
            return LanguageCodeForLocale(QLocale(value.section('.', 0, 0)));
    }
    return LanguageCodeForLocale(QLocale::system());
}
