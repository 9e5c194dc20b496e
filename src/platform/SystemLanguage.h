#pragma once
// The default interface language code taken from the system locale.
#include <QLocale>
#include <QString>

// The two-letter code the program uses for a locale's language ("de", "jp", "cn", ...; "en" otherwise).
QString LanguageCodeForLocale(const QLocale& locale);
// The code for the current locale (LANG, LC_ALL, LC_MESSAGES).
QString SystemLanguageCode();
