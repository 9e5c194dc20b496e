#include "i18n/Translate.h"
#include "base/AppState.h"
#include "options/uOptions.h"

#include <gtest/gtest.h>

namespace {

TEST(Translate, LookupRules)
{
    TLanguageOptions language;
    language.Translations = {
        {"Ready", "Paused", "Ready", "Waiting", "Copying"},
        {"Bereit", "Pausiert", "Zweites", "", "Kopieren"},
    };
    struct Case
    {
        int iLanguage;
        const char* text;
        const char* expected;
    } cases[] = {
        {0, "Ready", "Ready"},                            // English active: unchanged even for known texts
        {1, "Ready", "Bereit"},                           // found
        {1, "Paused", "Pausiert"}, {1, "ready", "ready"}, // differs in case: not translated
        {1, "Ready ", "Ready "},                          // trailing blank: not translated
        {1, "Waiting", "Waiting"},                        // empty translation gives the English text
        {1, "Unknown", "Unknown"}, {5, "Ready", "Ready"}, // an index outside the table is treated as English
    };
    for (const Case& c : cases) {
        language.iLanguage = c.iLanguage;
        EXPECT_EQ(TranslateWith(language, c.text), c.expected) << c.text << " lang " << c.iLanguage;
    }
}

TEST(Translate, EnglishWhileTerminatingAndOnTheGlobalOptions)
{
    GlobalOptions.Language.Translations = {{"Copying"}, {"Kopieren"}};
    GlobalOptions.Language.iLanguage = 1;
    EXPECT_EQ(Translate("Copying"), "Kopieren");
    AppTerminating = true;
    EXPECT_EQ(Translate("Copying"), "Copying");
    AppTerminating = false;
    GlobalOptions = TOptions();
    EXPECT_EQ(Translate("Copying"), "Copying");
}

} // namespace
