// Source items that a run can list but not look at, as an ordinary user meets them: a folder that can
// be read but not searched, a link whose target lies in such a folder. What a run cannot look at is
// unknown, not deleted: every backup type keeps its stored copies and a restore gives the earlier state.
#include "cli/CliApp.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "platform/StandardFolders.h"
#include "support/CliRunner.h"
#include "support/TestEnvironment.h"
#include "support/WithoutPrivileges.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>

#include <sys/stat.h>

using namespace TestEnvironment;

namespace {
void setMode(const QString& path, mode_t mode)
{
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0) << path.toStdString();
}

class UnreadableSourcesTest : public ::testing::TestWithParam<TBackupType>
{
protected:
    void SetUp() override
    {
        QDir(StandardFolders::applicationDataFolder()).removeRecursively();
        root = makeFolder("unreadable");
        for (auto it = sources.begin(); it != sources.end(); ++it)
            writeFile(root + "/src/" + it.key(), it.value());
        writeFile(root + "/src/Elsewhere/target.txt", "t");
        ASSERT_TRUE(QFile::link(root + "/src/Elsewhere/target.txt", root + "/src/Docs/link.txt"));
        QDir().mkpath(root + "/dest");
    }
    TRemoteBookkeeping stored()
    {
        TRemoteBookkeeping bookkeeping;
        TJob_FilesAndFolders reader("reader");
        reader.LoadRemoteJobFile(backupRoot() + ".kxj", false, bookkeeping);
        return bookkeeping;
    }
    QString backupRoot() const { return root + "/dest/Docs job"; }

    QString root;
    // The sources as the first run sees them (the link reads as its target).
    QMap<QString, QByteArray> sources{
        {"Docs/a.txt", "a"}, {"Docs/Inner/b.txt", "b"}, {"Docs/Inner/Deep/c.txt", "c"}};
};

TEST_P(UnreadableSourcesTest, WhatARunCannotLookAtKeepsItsCopiesAndRestores)
{
    const TBackupType type = GetParam();
    const QString typeName = type == btSync ? "mirror" : type == btFull ? "full" : "incremental";
    // One full copy kept: a new full copy would retire the first one.
    ASSERT_EQ(RunCli({"create", "Docs job", "--source", root + "/src/Docs", "--dest", root + "/dest",
                      "--type", typeName, "--keep-full", "1", "--full-every", "10"})
                  .code,
              CliApp::kOk);
    const CliRun first = RunCli({"backup", "Docs job"});
    ASSERT_EQ(first.code, CliApp::kOk) << first.out.toStdString();
    ASSERT_TRUE(first.out.contains("Files copied: 4.")) << first.out.toStdString();
    const QMap<QString, QByteArray> storedBefore = filesBelow(backupRoot());
    const TRemoteBookkeeping before = stored();

    setMode(root + "/src/Docs/Inner", 0644); // listed, but nothing in it can be looked at
    setMode(root + "/src/Elsewhere", 0644);  // the link's target cannot be reached
    const TProgramRun second = RunProgramWithoutPrivileges(QStringLiteral(ZORVAN_BIN_DIR "/zorvanbackup-cli"),
                                                           {"backup", "Docs job"});
    setMode(root + "/src/Docs/Inner", 0755);
    setMode(root + "/src/Elsewhere", 0755);

    const std::string output = second.output.toStdString();
    EXPECT_EQ(second.exitCode, CliApp::kFinishedWithWarnings) << output;
    const QStringList lines = second.output.split('\n');
    EXPECT_EQ(lines.filter("WARNING:").size(), 3) << output;
    for (const char* unreadable : {"Docs/Inner/b.txt", "Docs/Inner/Deep", "Docs/link.txt"})
        EXPECT_EQ(lines
                      .filter(": WARNING: Cannot be read, kept as in the previous backup: " + root + "/src/" +
                              unreadable + " (Permission denied)")
                      .size(),
                  1)
            << unreadable << '\n'
            << output;
    const int copied = type == btFull ? 1 : 0; // a full copy copies what it can read
    EXPECT_TRUE(second.output.contains(
        QStringLiteral("Backup job \"Docs job\" is finished with warnings. Files copied: %1.").arg(copied)))
        << output;
    EXPECT_FALSE(second.output.contains("ERROR:")) << output;
    EXPECT_TRUE(lines.filter("Removing the").filter(backupRoot() + "/Docs").isEmpty()) << output;
    EXPECT_FALSE(second.output.contains("Removing the old backups.")) << output;

    // Every stored copy is still there, unchanged.
    const QMap<QString, QByteArray> storedAfter = filesBelow(backupRoot());
    for (auto it = storedBefore.begin(); it != storedBefore.end(); ++it)
        EXPECT_EQ(storedAfter.value(it.key(), "(missing)"), it.value()) << it.key().toStdString();
    const TRemoteBookkeeping after = stored();
    if (type == btFull) {
        // The new full copy lacks what it could not read: the first one stays a restore point.
        EXPECT_TRUE(
            second.output.contains("The old backups are kept because some source items could not be read."))
            << output;
        EXPECT_EQ(after.MainBackupList.size(), 3);
    } else {
        // The next catalogs still list them with their earlier stamps.
        for (const char* file : {"Docs/Inner/b.txt", "Docs/Inner/Deep/c.txt", "Docs/link.txt"}) {
            const qsizetype was = before.PreviousLocalFilesList.indexOf(file);
            const qsizetype is = after.PreviousLocalFilesList.indexOf(file);
            ASSERT_GE(is, 0) << file;
            EXPECT_EQ(after.PreviousLocalFilesTimeList.at(is), before.PreviousLocalFilesTimeList.at(was));
        }
        EXPECT_TRUE(after.PreviousLocalDirsList.contains("Docs/Inner/Deep"));
    }

    // The earlier state comes back: the mirror, the first full copy, the latest incremental copy.
    const QString restoreFolder = root + "/restored";
    QStringList restore{"restore", "Docs job", "--to", restoreFolder};
    if (type == btFull)
        restore << "--point"
                << "0";
    else if (type == btInc)
        restore << "--latest";
    const CliRun restored = RunCli(restore);
    EXPECT_EQ(restored.code, CliApp::kOk) << restored.out.toStdString() << restored.err.toStdString();
    QMap<QString, QByteArray> earlier = sources;
    earlier.insert("Docs/link.txt", "t");
    EXPECT_EQ(filesBelow(restoreFolder), earlier);

    // Readable again: nothing unchanged is copied again (a full copy copies all), and the retention
    // that waited removes the first full copy now.
    const CliRun third = RunCli({"backup", "Docs job"});
    EXPECT_EQ(third.code, CliApp::kOk) << third.out.toStdString();
    EXPECT_TRUE(third.out.contains(QStringLiteral("Files copied: %1.").arg(type == btFull ? 4 : 0)))
        << third.out.toStdString();
    if (type == btFull) {
        EXPECT_EQ(stored().MainBackupList.size(), 2);
    }
}

INSTANTIATE_TEST_SUITE_P(Types, UnreadableSourcesTest, ::testing::Values(btSync, btFull, btInc),
                         [](const auto& info) {
                             return info.param == btSync   ? "Mirror"
                                    : info.param == btFull ? "Full"
                                                           : "Incremental";
                         });
} // namespace
