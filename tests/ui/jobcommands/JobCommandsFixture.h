#pragma once
// The whole program in the test process with jobs made by the command-line program, and the steps
// that drive the job commands of its main window.
#include "support/gui/AppFixture.h"
#include "support/gui/ModalSteps.h"
#include "support/SmbServer.h"

#include <QStringList>

#include <memory>

class JobCommandsFixture : public AppFixture
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A files-and-folders job whose destination is the folder "backups" on the test share; false when
    // smbd cannot run here.
    bool createSmbJob(const QString& name);
    // Runs the job's backup to its end with the command-line program.
    void runBackup(const QString& name);
    // Selects the job's row and runs the action (by its object name) on it.
    void onJob(const QString& name, const char* actionName);
    QStringList shownTexts() const;
    // The events added since the last call.
    QString takeEvents();

    // The job's backup folder and remote job file in `storageFolder`, its log folder and its job file
    // carry `newName`; nothing carries `oldName` any more.
    static void expectRenamedEverywhere(const QString& storageFolder, const QString& oldName,
                                        const QString& newName);
    static QString jobFile(const QString& name);
    static QString logFolder(const QString& name);

    static std::unique_ptr<SmbServer> smb;
    QString smbDestination; // the local folder behind the SMB destination

private:
    QByteArray savedHome;
};
