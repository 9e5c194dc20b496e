#pragma once
// A run's language: while a TRunLanguageScope lives, the lookup (Translate) on its thread uses the
// given language, the run's own copy of the options, instead of the interface language. A run thus
// keeps the language it started with when the user chooses another one, and its thread never reads
// the interface language while the window changes it.
#include "i18n/Translate.h"

class TRunLanguageScope
{
public:
    explicit TRunLanguageScope(const TLanguageOptions& language);
    ~TRunLanguageScope();
    TRunLanguageScope(const TRunLanguageScope&) = delete;
    TRunLanguageScope& operator=(const TRunLanguageScope&) = delete;

private:
    const TLanguageOptions* previous;
};
