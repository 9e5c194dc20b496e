#pragma once
// Every shown or logged text passes through this lookup; the English text is the key.
#include <QList>
#include <QString>
#include <QStringList>

struct TLanguageOptions
{
    QString LanguageOfInterface;
    qint32 iLanguage = 0;
    // Translations[0] holds the English texts; Translations[k] language k's texts at the same indexes.
    QList<QStringList> Translations;
    // The languages' own names and two-letter codes, at the indexes of Translations ("English", "en"
    // first); empty while no translations are loaded.
    QStringList LanguageNames;
    QStringList LanguageCodes;
};

// Marks a literal that reaches the lookup later (kept in a table or a variable), so that the
// translators' template collects it. Expands to the literal itself.
#define TRANSLATABLE(text) text

// The text in the active language of `language`; English when iLanguage is 0, while the program is
// ending, or when the table has no (or an empty) translation for it.
QString TranslateWith(const TLanguageOptions& language, const QString& text);

// The language of the interface: the options install their language part here when they are created,
// so that the lookup follows every change of the global options without depending on them.
void InstallInterfaceLanguage(const TLanguageOptions& language);
// The lookup in the interface language (English before one is installed).
QString Translate(const QString& text);
