#include "imagetool/ImageToolCommand.h"

#include <gtest/gtest.h>

namespace {

TCommandParseResult parse(const QStringList& arguments, const QString& environmentPassword = {})
{
    return ParseImageToolCommand(arguments, environmentPassword);
}

TEST(ImageToolCommandLine, ReadsTheBackupCommandOfTheDriveImageJob)
{
    const TCommandParseResult result = parse({"start", "backup", "-backupTarget:/media/usb",
                                              "-include:/,/home,/dev/sdb1", "-allCritical", "-quiet"});
    ASSERT_TRUE(result.Error.isEmpty()) << result.Error.toStdString();
    const TImageToolCommand& command = result.Command;
    EXPECT_EQ(command.Verb, TToolVerb::tvStartBackup);
    EXPECT_EQ(command.BackupTarget, "/media/usb");
    EXPECT_EQ(command.Include, QStringList({"/", "/home", "/dev/sdb1"}));
    EXPECT_TRUE(command.AllCritical);
    EXPECT_TRUE(command.Quiet);
}

TEST(ImageToolCommandLine, NamesAndWordsIgnoreCaseAndQuotedValuesAreJoined)
{
    // The job writes "-backuptarget:" for deletions and passes network paths in double quotes; a
    // caller that splits at blanks cuts a quoted path in two.
    const TCommandParseResult split = parse(
        {"DELETE", "Backup", "-backuptarget:\"/media/My", "Backup", "Disk/\"", "-KeepVersions:3", "-quiet"});
    ASSERT_TRUE(split.Error.isEmpty()) << split.Error.toStdString();
    EXPECT_EQ(split.Command.Verb, TToolVerb::tvDeleteBackup);
    EXPECT_EQ(split.Command.BackupTarget, "/media/My Backup Disk");
    EXPECT_EQ(split.Command.KeepVersions, 3);

    const TCommandParseResult whole = parse({"get", "versions", "-backupTarget:\"/media/My Disk\""});
    ASSERT_TRUE(whole.Error.isEmpty());
    EXPECT_EQ(whole.Command.BackupTarget, "/media/My Disk");
}

TEST(ImageToolCommandLine, PasswordComesFromTheEnvironmentUnlessGiven)
{
    const QStringList base{"start", "backup", "-backupTarget://nas/images", "-include:/", "-user:anna"};
    EXPECT_EQ(parse(base, "from-env").Command.Password, "from-env");
    EXPECT_EQ(parse(base + QStringList{"-password:typed"}, "from-env").Command.Password, "typed");
    EXPECT_EQ(parse(base, "from-env").Command.User, "anna");
}

TEST(ImageToolCommandLine, RecoveryAndStop)
{
    const TCommandParseResult recovery =
        parse({"start", "recovery", "-version:2024-05-01 10;00;00", "-items:/dev/sdb1",
               "-backupTarget:/media/usb/", "-recoveryTarget:/dev/sdc1"});
    ASSERT_TRUE(recovery.Error.isEmpty()) << recovery.Error.toStdString();
    EXPECT_EQ(recovery.Command.Version, "2024-05-01 10;00;00");
    EXPECT_EQ(recovery.Command.Items, "/dev/sdb1");
    EXPECT_EQ(recovery.Command.BackupTarget, "/media/usb");
    EXPECT_EQ(recovery.Command.RecoveryTarget, "/dev/sdc1");
    EXPECT_FALSE(recovery.Command.Quiet);

    EXPECT_EQ(parse({"stop", "job", "-quiet"}).Command.Verb, TToolVerb::tvStopJob);
    EXPECT_EQ(parse({}).Command.Verb, TToolVerb::tvHelp);
    EXPECT_EQ(parse({"help"}).Command.Verb, TToolVerb::tvHelp);
}

TEST(ImageToolCommandLine, RejectsWrongCommandLines)
{
    const QList<QStringList> wrong = {
        {"start"},
        {"start", "everything"},
        {"start", "backup", "-include:/"},                                   // no target
        {"start", "backup", "-backupTarget:/media/usb"},                     // nothing to back up
        {"start", "backup", "-backupTarget:/media/usb", "-include:/", "-x"}, // unknown option
        {"start", "backup", "-backupTarget:/media/usb", "-include:/", "-quiet:yes"},
        {"start", "backup", "-backupTarget", "-include:/"}, // option without value
        {"start", "backup", "-backupTarget:/a", "-backupTarget:/b", "-include:/"},
        {"start", "backup", "-backupTarget:/a", "-include:/", "stray"},
        {"delete", "backup", "-backupTarget:/a", "-keepVersions:three"},
        {"delete", "backup", "-backupTarget:/a", "-keepVersions:-1"},
        {"delete", "backup", "-backupTarget:/a"},
        {"start", "recovery", "-version:v", "-items:/a,/b", "-backupTarget:/t", "-recoveryTarget:/f"},
        {"stop", "job", "-backupTarget:/a"},
    };
    for (const QStringList& arguments : wrong)
        EXPECT_FALSE(parse(arguments).Error.isEmpty()) << arguments.join(' ').toStdString();
}

TEST(ImageToolCommandLine, RecognisesNetworkTargets)
{
    EXPECT_TRUE(IsNetworkTarget("//nas/share/images"));
    EXPECT_TRUE(IsNetworkTarget("\\\\nas\\share"));
    EXPECT_TRUE(IsNetworkTarget("SMB://nas:445/share"));
    EXPECT_FALSE(IsNetworkTarget("/media/usb"));
    EXPECT_FALSE(IsNetworkTarget("relative/folder"));
}

} // namespace
