#pragma once
// The translations file transl.dt: UTF-8 text made of one or more filled templates, one per language.
// Each holds the language's name, its two-letter code, then every English text followed by its
// translation (an empty line: not translated). All languages follow the same template, so the English
// texts come in the same order in each. Line breaks inside a text are written as \n.
#include "i18n/Translate.h"

#include <QString>

// transl.dt beside the program (the installation's program folder, or build/bin in a build tree).
QString TranslationFilePath();

// Reads `path` into `language`: Translations, LanguageNames and LanguageCodes with English first, and
// iLanguage from LanguageOfInterface. A missing file leaves English without a word; a damaged or
// foreign one adds an event saying why and leaves English too. True when the file was read.
bool LoadTranslationFile(const QString& path, TLanguageOptions& language);

// iLanguage := the index of the language whose code is LanguageOfInterface, or 0 (English).
void SelectInterfaceLanguage(TLanguageOptions& language);

// Makes language `index` (0: English) the active one and its code the interface language.
void ChooseInterfaceLanguage(TLanguageOptions& language, qint32 index);
