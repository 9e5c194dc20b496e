#include "app/DriveImageRestoreCommand.h"

#include "base/Placeholders.h"
#include "i18n/Translate.h"
#include "jobs/JobCatalogue.h"
#include "jobs/uJob_DriveImage.h"
#include "platform/ChildProcess.h"
#include "scheduler/RunControl.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/dialogs/TfrmRecoverVolume.h"
#include "ui/dialogs/TfrmRestore_DriveImage.h"
#include "ui/widgets/BusyCursor.h"

namespace {

// A drive image restore asks none of the questions of a files restore.
class TNoRestoreQuestions final : public TRestoreInteraction
{
public:
    bool ChooseOutputFolder(QString&) override { return false; }
    void ShowLoading() override {}
    void CloseLoading() override {}
    bool ChooseRestorePoint(const QStringList&, qint32&) override { return false; }
    QString QueryZipPassword(const QString&, const QString&) override { return {}; }
    void ShowError(const QString& message) override { ShowMessageDialog(message, mtError, mbOK); }
};

} // namespace

TDriveImageRestoreCommand::TDriveImageRestoreCommand(TJobCatalogue& jobs, QWidget* mainWindow,
                                                     std::function<void()> closeMainWindow)
    : StartCommand([](const QString& program, const QStringList& arguments) {
          return TChildProcess::StartDetached(program, arguments);
      }),
      jobs(jobs), mainWindow(mainWindow), closeMainWindow(std::move(closeMainWindow))
{
    TfrmRestore_DriveImage::TActions actions;
    actions.RestartForRecovery = [this] { restartForRecovery(); };
    actions.RecoverNow = [this] { recoverNow(); };
    frmRestore_DriveImage = std::make_unique<TfrmRestore_DriveImage>(actions, mainWindow);
    TfrmRecoverVolume::TChecks checks;
    checks.Refusal = [this](const QString& target) {
        auto* job = dynamic_cast<TJob_DriveImage*>(this->jobs.findByName(jobName));
        return job ? DriveImageRecovery::TargetRefusal(*job, target, TMountTable::FromSystem()) : QString();
    };
    checks.Describe = [](const QString& target) { return DriveImageRecovery::TargetDescription(target); };
    frmRecoverVolume = std::make_unique<TfrmRecoverVolume>(checks, frmRestore_DriveImage.get());
    SetDriveImageRestoreView(this);
}

TDriveImageRestoreCommand::~TDriveImageRestoreCommand()
{
    SetDriveImageRestoreView(nullptr);
}

void TDriveImageRestoreCommand::Execute(TJob_DriveImage& job)
{
    TNoRestoreQuestions questions;
    TBusyCursor busy;
    job.Restore(questions);
}

void TDriveImageRestoreCommand::ShowRestoreError(const QString& text)
{
    ShowMessageDialog(text, mtError, mbOK, 0, mainWindow);
}

void TDriveImageRestoreCommand::ShowRestoreGuidance(TJob_DriveImage& job)
{
    using namespace DriveImageRecovery;
    jobName = job.stJobName;
    versions.clear();
    QString error;
    QString note;
    {
        TBusyCursor busy;
        if (!ReadVersions(job, versions, error))
            note = Translate(QStringLiteral("The backup versions cannot be read:")) + ' ' + error;
    }
    if (note.isEmpty() && versions.isEmpty())
        note = Translate(QStringLiteral("There is no backup version of this job on its storage yet."));
    const QString newest = versions.isEmpty() ? QStringLiteral("<version>") : versions.last().Identifier;
    const TMountTable mounts = TMountTable::FromSystem();
    QStringList lines;
    bool recoverableNow = false;
    for (const QString& volume : JobVolumes(job)) {
        lines.append(GuidanceCommandLine(job, {newest, volume, VolumeLocation(volume, mounts)}));
        recoverableNow = recoverableNow || CanRecoverNow(volume, mounts);
    }
    frmRestore_DriveImage->ShowGuidance(lines.join('\n'), note, recoverableNow && !versions.isEmpty());
}

void TDriveImageRestoreCommand::restartForRecovery()
{
    RestartComputerForRecovery(StartCommand);
    frmRestore_DriveImage->close();
    if (closeMainWindow)
        closeMainWindow();
}

void TDriveImageRestoreCommand::recoverNow()
{
    using namespace DriveImageRecovery;
    auto* job = dynamic_cast<TJob_DriveImage*>(jobs.findByName(jobName));
    if (!job)
        return;
    const TMountTable mounts = TMountTable::FromSystem();
    QStringList volumes, targets;
    for (const QString& volume : JobVolumes(*job)) {
        if (!CanRecoverNow(volume, mounts))
            continue;
        volumes.append(volume);
        targets.append(VolumeLocation(volume, mounts));
    }
    TRecoveryRequest request;
    if (volumes.isEmpty() || !frmRecoverVolume->ChooseRecovery(versions, volumes, targets, request))
        return;
    if (!StartRecovery(*job, request)) {
        ShowPlainMessage(TRunControl::RefusalText(), frmRestore_DriveImage.get());
        return;
    }
    frmRestore_DriveImage->close();
}
