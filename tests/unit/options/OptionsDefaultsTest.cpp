#include "options/RunAtLogon.h"
#include "options/uOptions.h"
#include "platform/Autorun.h"
#include "platform/ProcessPriority.h"
#include "platform/StandardFolders.h"
#include "platform/SystemLanguage.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QFileInfo>

namespace {

TEST(OptionsDefaults, EveryDefaultAndTheLinuxFolders)
{
    GlobalOptions = TOptions();
    SetDefaultOptions();
    const TOptions& o = GlobalOptions;
    EXPECT_EQ(o.Language.LanguageOfInterface, "en"); // the test main sets LANG=C.UTF-8
    EXPECT_EQ(o.Language.iLanguage, 0);
    EXPECT_TRUE(o.General.RunProgramAtLogon); // the autostart entry could be written
    EXPECT_TRUE(o.General.BlockSleepModeifJobIsScheduled);
    EXPECT_FALSE(o.General.ProtectConfigurationbyPassword);
    EXPECT_EQ(o.General.ProcessPriority, 1);
    // On disk in the user's cache, never under /tmp.
    EXPECT_EQ(o.General.PathForTempFiles, qEnvironmentVariable("XDG_CACHE_HOME") + "/ZorvanBackupTmp");
    EXPECT_EQ(o.Logging.MaxNumberOfLogsForEachJob, 20);
    EXPECT_EQ(o.Logging.MaxNumberOfLinesInHistory, 500);
    EXPECT_EQ(o.Logging.MaxNumberOfLinesInEventsLog, 50);
    EXPECT_EQ(o.Logging.PathForLogFiles, StandardFolders::documentsFolder() + "/Zorvan Backup");
    EXPECT_EQ(o.Processing.IfDestinationNotAvailable_Retry_Times, 5);
    EXPECT_EQ(o.Processing.IfDestinationNotAvailable_Wait_Sec, 60);
    EXPECT_EQ(o.Processing.IfDestinationNotAvailable_Then, 0);
    EXPECT_TRUE(o.Processing.RemovePreviousBackupIfCancelled);
    EXPECT_FALSE(o.Processing.SkipLockedFiles);

    // The seed list shipped beside the test programs is read and expanded.
    const QString home = qEnvironmentVariable("HOME").toLower();
    EXPECT_TRUE(o.ExcludedDirs.contains(home + "/.cache")) << o.ExcludedDirs.join(",").toStdString();
    EXPECT_TRUE(o.ExcludedDirs.contains("/proc"));

    // The autostart entry starts the program hidden.
    const QByteArray entry = TestEnvironment::readFile(AutorunEntryPath());
    EXPECT_TRUE(entry.contains("Exec=\"" + StandardFolders::programPath().toUtf8() + "\" /hide"));
    EXPECT_TRUE(
        QFileInfo(AutorunEntryPath()).absolutePath().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
    GlobalOptions = TOptions();
}

TEST(OptionsDefaults, ExcludedFolderLineExpansion)
{
    qputenv("ZORVAN_TEST_DIR", "/Data/Mixed");
    qunsetenv("ZORVAN_UNSET_VAR");
    struct Case
    {
        const char* line;
        const char* expected;
    } cases[] = {
        {"%ZORVAN_TEST_DIR%/Cache", "/data/mixed/cache"},       // expanded, then the whole line lower-cased
        {"%zorvan_test_dir%/Cache", "%zorvan_test_dir%/Cache"}, // the environment name is case-sensitive
        {"%ZORVAN_UNSET_VAR%/X", "%ZORVAN_UNSET_VAR%/X"},       // unknown variable: unchanged
        {"/Var/Log", "/Var/Log"},                               // no percent sign: exactly as read
        // Without a whole "%NAME%" the line stays exactly as read, even when the rest names a variable.
        {"%ZORVAN_TEST_DIR", "%ZORVAN_TEST_DIR"},
        {"/ZORVAN_TEST_DIR", "/ZORVAN_TEST_DIR"},
        {"/ZORVAN_TEST_DIR%/X", "/ZORVAN_TEST_DIR%/X"},
        {"", ""},
        {"%%/x", "%%/x"},
        {"x%ZORVAN_TEST_DIR%", "x%ZORVAN_TEST_DIR%"}, // the name starts at the second character
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExpandExcludedDirLine(c.line), c.expected) << c.line;
}

TEST(OptionsDefaults, SystemLanguageCodes)
{
    struct Case
    {
        const char* locale;
        const char* code;
    } cases[] = {{"de_DE", "de"}, {"ja_JP", "jp"}, {"zh_CN", "cn"}, {"ko_KR", "kr"}, {"pt_BR", "pt"},
                 {"el_GR", "el"}, {"en_US", "en"}, {"fi_FI", "en"}, {"C", "en"},     {"tr_TR", "tr"}};
    for (const Case& c : cases)
        EXPECT_EQ(LanguageCodeForLocale(QLocale(c.locale)), c.code) << c.locale;

    qputenv("LANG", "fr_FR.UTF-8");
    EXPECT_EQ(SystemLanguageCode(), "fr");
    qputenv("LC_ALL", "ru_RU.UTF-8");
    EXPECT_EQ(SystemLanguageCode(), "ru");
    qunsetenv("LC_ALL");
    qputenv("LANG", "C.UTF-8");
}

TEST(OptionsDefaults, PriorityClassesMapToNiceValues)
{
    struct Case
    {
        int priority;
        bool known;
        int nice;
    } cases[] = {{0, true, 19}, {1, true, 0}, {2, true, -10}, {3, true, -20}, {4, false, 0}, {-1, false, 0}};
    for (const Case& c : cases) {
        bool known = false;
        EXPECT_EQ(NiceValueForPriority(c.priority, &known), c.nice);
        EXPECT_EQ(known, c.known);
    }
}

TEST(OptionsDefaults, AutorunOffRemovesTheEntryAndAnUnwritableFolderFailsQuietly)
{
    ASSERT_TRUE(SetAutorun(true));
    ASSERT_TRUE(QFile::exists(AutorunEntryPath()));
    EXPECT_TRUE(SetAutorun(false));
    EXPECT_FALSE(QFile::exists(AutorunEntryPath()));
    EXPECT_TRUE(SetAutorun(false)); // nothing to delete is no error

    // The autostart folder cannot be created: a file stands where the config folder should be.
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    const QString blocker = TestEnvironment::makeFolder("cfg") + "/file";
    TestEnvironment::writeFile(blocker, "x");
    qputenv("XDG_CONFIG_HOME", blocker.toUtf8());
    EXPECT_FALSE(SetAutorun(true));
    qputenv("XDG_CONFIG_HOME", saved);
}

} // namespace
