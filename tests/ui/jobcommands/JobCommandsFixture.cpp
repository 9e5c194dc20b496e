#include "JobCommandsFixture.h"

#include "events/EventsLog.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "options/uOptions.h"
#include "support/CliRunner.h"
#include "support/SmbDestination.h"
#include "support/TestEnvironment.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/mainwindow/TfrmMainOstrinBackup.h"

#include <QDir>

std::unique_ptr<SmbServer> JobCommandsFixture::smb;

void JobCommandsFixture::SetUp()
{
    AppFixture::SetUp();
    // The log folder lies in the Documents folder: a home of its own keeps each test's logs apart.
    savedHome = qgetenv("HOME");
    QDir().mkpath(root + "/home");
    qputenv("HOME", QFile::encodeName(root + "/home"));
}

void JobCommandsFixture::TearDown()
{
    AppFixture::TearDown();
    qputenv("HOME", savedHome);
    if (smb && !smb->isRunning())
        smb.reset();
}

bool JobCommandsFixture::createSmbJob(const QString& name)
{
    // The destination is taken from a job that the test fixture points at the share.
    TJob_FilesAndFolders shared(name);
    smbDestination = root; // its unique name names the folder on the share
    if (!UseSmbDestination(smb, shared, smbDestination))
        return false;
    const QString source = sourceRoot + '/' + name;
    TestEnvironment::writeFile(source + "/a.txt", "some content");
    const QString passwordFile = root + "/password";
    TestEnvironment::writeFile(passwordFile, shared.Destination_NetworkPassword.toUtf8());
    const CliRun run = RunCli({"create", name, "--source", source, "--dest", shared.DestinationPath, "--user",
                               shared.Destination_NetworkUsername, "--password-file", passwordFile});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    return run.code == 0;
}

void JobCommandsFixture::runBackup(const QString& name)
{
    const CliRun run = RunCli({"backup", name});
    ASSERT_EQ(run.code, 0) << run.out.toStdString() << run.err.toStdString();
}

void JobCommandsFixture::onJob(const QString& name, const char* actionName)
{
    const int row = rowOf(name);
    ASSERT_GE(row, 0) << name.toStdString();
    program->mainWindow().selectJob(row);
    // The commands follow the job's status at once, not only at the next tick.
    program->mainWindow().UpdateCommandStates();
    trigger(actionName);
}

QStringList JobCommandsFixture::shownTexts() const
{
    QStringList texts;
    for (const MessageDialogHook::TShownMessage& message : MessageDialogHook::shown())
        texts << message.Text;
    return texts;
}

QString JobCommandsFixture::takeEvents()
{
    return EventsQueue().takeAll().join('\n');
}

void JobCommandsFixture::expectRenamedEverywhere(const QString& storageFolder, const QString& oldName,
                                                 const QString& newName)
{
    EXPECT_TRUE(QFileInfo(storageFolder + '/' + newName).isDir());
    EXPECT_FALSE(QFileInfo::exists(storageFolder + '/' + oldName));
    EXPECT_TRUE(QFileInfo::exists(storageFolder + '/' + newName + ".kxj"));
    EXPECT_FALSE(QFileInfo::exists(storageFolder + '/' + oldName + ".kxj"));
    EXPECT_TRUE(QFileInfo(logFolder(newName)).isDir());
    EXPECT_FALSE(QFileInfo::exists(logFolder(oldName)));
    EXPECT_TRUE(QFileInfo::exists(jobFile(newName)));
    EXPECT_FALSE(QFileInfo::exists(jobFile(oldName)));
}

QString JobCommandsFixture::jobFile(const QString& name)
{
    return LocalJobFilePath(name);
}

QString JobCommandsFixture::logFolder(const QString& name)
{
    return GlobalOptions.Logging.PathForLogFiles + '/' + name;
}
