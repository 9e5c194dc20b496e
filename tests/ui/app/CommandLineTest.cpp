// The command line: switches as whole words with "/" or "-" in any letter case, the job name as the
// second parameter, the job file to import by its extension as written.
#include "app/core/CommandLine.h"
#include "app/core/InstanceHandOver.h"

#include "support/QtPrinters.h"
#include <gtest/gtest.h>

namespace {

struct TSwitchCase
{
    QStringList Parameters;
    bool Backup, Restore, Remove, Admin, Hide;
    const char* JobName;
    const char* Import;
};

TEST(CommandLineTest, SwitchesNamesAndJobFiles)
{
    const TSwitchCase cases[] = {
        {{}, false, false, false, false, false, "", ""},
        {{"/backup", "Docs"}, true, false, false, false, false, "Docs", ""},
        {{"-Backup", "Docs"}, true, false, false, false, false, "Docs", ""},
        {{"/BACKUP", "My Docs"}, true, false, false, false, false, "My Docs", ""},
        // Longer words, other prefixes and bare words are not switches.
        {{"/backups", "Docs"}, false, false, false, false, false, "Docs", ""},
        {{"--backup", "Docs"}, false, false, false, false, false, "Docs", ""},
        {{"backup", "Docs"}, false, false, false, false, false, "Docs", ""},
        {{"\\backup"}, false, false, false, false, false, "", ""},
        {{"/back"}, false, false, false, false, false, "", ""},
        // Anywhere on the line; the name is always the second parameter.
        {{"Docs", "/backup"}, true, false, false, false, false, "/backup", ""},
        {{"/hide", "/backup", "Docs"}, true, false, false, false, true, "/backup", ""},
        {{"/restore", "Docs"}, false, true, false, false, false, "Docs", ""},
        {{"-REMOVE", "Docs"}, false, false, true, false, false, "Docs", ""},
        {{"/admin", "/hide"}, false, false, false, true, true, "/hide", ""},
        {{"-Hide"}, false, false, false, false, true, "", ""},
        // A job file from a backup storage: ".kxj" exactly, as the first parameter.
        {{"/media/usb/Docs/Docs.kxj"}, false, false, false, false, false, "", "/media/usb/Docs/Docs.kxj"},
        {{"/media/usb/Docs/Docs.KXJ"}, false, false, false, false, false, "", ""},
        {{"/media/usb/Docs/Docs.kxj.txt"}, false, false, false, false, false, "", ""},
        {{"/media/usb/a.kxj/Docs"}, false, false, false, false, false, "", ""},
        {{"/hide", "/media/usb/Docs.kxj"}, false, false, false, false, true, "/media/usb/Docs.kxj", ""},
        {{"Docs.tar.kxj"}, false, false, false, false, false, "", "Docs.tar.kxj"},
    };
    for (const TSwitchCase& c : cases) {
        const TCommandLine line(c.Parameters);
        SCOPED_TRACE(c.Parameters.join(' ').toStdString());
        EXPECT_EQ(line.Backup(), c.Backup);
        EXPECT_EQ(line.Restore(), c.Restore);
        EXPECT_EQ(line.Remove(), c.Remove);
        EXPECT_EQ(line.Admin(), c.Admin);
        EXPECT_EQ(line.Hide(), c.Hide);
        EXPECT_EQ(line.IsElevatedInstance(), c.Backup || c.Restore || c.Remove || c.Admin);
        EXPECT_EQ(line.JobName(), QString::fromUtf8(c.JobName));
        EXPECT_EQ(line.JobFileToImport(), QString::fromUtf8(c.Import));
        // A second start hands over an import exactly when this instance would import; else "show".
        const THandOverRequest request = HandOverRequestFor(line);
        EXPECT_EQ(request.Kind == THandOverRequest::hoImport, *c.Import != 0);
        EXPECT_EQ(request.Path, QString::fromUtf8(c.Import));
    }
}

TEST(CommandLineTest, ArgumentsSkipTheProgramAndKeepUnicode)
{
    const char* argv[] = {"zorvanbackup", "/backup", "Sicherung Übersicht"};
    const TCommandLine line = TCommandLine::fromArguments(3, argv);
    EXPECT_TRUE(line.Backup());
    EXPECT_EQ(line.JobName(), QStringLiteral("Sicherung Übersicht"));
}

} // namespace
