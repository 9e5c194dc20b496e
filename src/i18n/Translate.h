#pragma once
// Every shown or logged text passes through this lookup; the English text is the key.
#include "options/uOptions.h"

// The text in the active language of `language`; English when iLanguage is 0, while the program is
// ending, or when the table has no (or an empty) translation for it.
QString TranslateWith(const TLanguageOptions& language, const QString& text);
// The lookup on the global options.
QString Translate(const QString& text);
