#include "app/JobCommands.h"

#include "app/core/JobRemoval.h"
#include "base/AppState.h"
#include "base/Placeholders.h"
#include "i18n/Translate.h"
#include "jobs/JobCatalogue.h"
#include "jobs/uJob_DriveImage.h"
#include "jobs/uJob_FilesAndFolders.h"
#include "operations/JobCreation.h"
#include "operations/JobImport.h"
#include "operations/JobRename.h"
#include "platform/Elevation.h"
#include "scheduler/RunControl.h"
#include "scheduler/Scheduler.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/dialogs/TfrmNewBackupJob.h"
#include "ui/dialogs/TfrmOpenJobDialog.h"
#include "ui/dialogs/TfrmQueryInput.h"
#include "ui/mainwindow/TfrmMainOstrinBackup.h"
#include "ui/widgets/BusyCursor.h"
#include "ui/wizards/uWizard_DriveImageBackup.h"
#include "ui/wizards/uWizard_FilesBackup.h"

namespace {

QString wizardCaption(const char* title, const QString& name)
{
    return ' ' + Translate(QLatin1String(title)) + QStringLiteral(" - ") + name;
}

int indexOfJob(const TJobCatalogue& jobs, const TJob& job)
{
    for (int i = 0; i < jobs.count(); ++i) {
        if (jobs.at(i) == &job)
            return i;
    }
    return -1;
}

} // namespace

TJobCommands::TJobCommands(TJobCatalogue& jobs, TScheduler& scheduler, TElevation& elevation,
                           const TJobCommandWindows& windows)
    : jobs(jobs), scheduler(scheduler), elevation(elevation), windows(windows)
{
}

void TJobCommands::showRefusal() const
{
    ShowPlainMessage(TRunControl::RefusalText(), windows.Main);
}

bool TJobCommands::nameAccepted(int outcome, const QString& errorMessage) const
{
    if (outcome == TJobNameCheck::ncRefused)
        ShowMessageDialog(errorMessage, mtError, mbOK, 0, windows.Main);
    return outcome == TJobNameCheck::ncAccepted;
}

template <class Job, class Wizard>
TJob* TJobCommands::createThroughWizard(Wizard& wizard, const QString& name, const QString& typedName,
                                        const Job* original, int& result)
{
    wizard.ClearControls();
    if (original)
        wizard.JobToControls(*original);
    wizard.setWindowTitle(wizardCaption("New Job", typedName));
    result = wizard.ShowModalResult();
    if (result == 0)
        return nullptr;
    auto job = std::make_unique<Job>(name);
    wizard.ControlsToJob(*job);
    return &AddCreatedJob(jobs, std::move(job), typedName);
}

template <class Job, class Wizard>
void TJobCommands::editThroughWizard(Wizard& wizard, Job& job, const QString& caption)
{
    wizard.ClearControls();
    wizard.JobToControls(job);
    wizard.EditingJob = true;
    wizard.setWindowTitle(caption);
    for (;;) {
        const int result = wizard.ShowModalResult();
        if (result == 0)
            return;
        if (job.isIdle()) {
            wizard.ControlsToJob(job);
            job.SaveLocalJobFile(LocalJobFilePath(job.stJobName));
            if (result == 2)
                job.SetStatus(jsWaiting);
            return;
        }
        // The job started while its settings were open: the user's input stays in the wizard for
        // another try.
        ShowMessageDialog(Translate(QStringLiteral("Job is currently running.")) + '\n' +
                              TRunControl::RefusalText(),
                          mtWarning, mbOK, 0, windows.Main);
        wizard.EditingJob = true;
    }
}

void TJobCommands::ActionNewJobExecute()
{
    if (windows.NewBackupJob->ShowModalResult() != 1)
        return;
    const QString typed = windows.NewBackupJob->JobName();
    const TJobNameCheck check = CheckTypedJobName(jobs, typed);
    if (!nameAccepted(check.Outcome, check.ErrorMessage))
        return;
    int result = 0;
    TJob* created = windows.NewBackupJob->DriveImageChosen()
                        ? createThroughWizard<TJob_DriveImage>(*windows.DriveImageWizard, check.Name, typed,
                                                               nullptr, result)
                        : createThroughWizard<TJob_FilesAndFolders>(*windows.FilesWizard, check.Name, typed,
                                                                    nullptr, result);
    if (!created)
        return;
    // The list shows the new job before it can be selected.
    windows.Main->Refresh(scheduler.lastCounts());
    if (jobs.count() == 1 && !windows.Main->selectedJob())
        windows.Main->selectJob(0);
    if (result == 2)
        created->SetStatus(jsWaiting);
}

void TJobCommands::ActionDuplicateExecute(TJob& job)
{
    QString typed = job.stJobName + QStringLiteral(" (") + Translate(QStringLiteral("Duplicated")) + ')';
    if (!QueryInput(windows.Main, Translate(QStringLiteral("Duplicate")),
                    Translate(QStringLiteral("Duplicate name:")), typed))
        return;
    const TJobNameCheck check = CheckTypedJobName(jobs, typed);
    if (!nameAccepted(check.Outcome, check.ErrorMessage))
        return;
    // "Save && Run" saves the copy without starting it.
    int result = 0;
    if (auto* filesJob = dynamic_cast<TJob_FilesAndFolders*>(&job))
        createThroughWizard(*windows.FilesWizard, check.Name, typed, filesJob, result);
    else if (auto* imageJob = dynamic_cast<TJob_DriveImage*>(&job))
        createThroughWizard(*windows.DriveImageWizard, check.Name, typed, imageJob, result);
}

void TJobCommands::ActionPropertiesExecute(TJob& job)
{
    if (!job.isIdle()) {
        showRefusal();
        return;
    }
    if (auto* filesJob = dynamic_cast<TJob_FilesAndFolders*>(&job))
        editThroughWizard(*windows.FilesWizard, *filesJob, wizardCaption("Settings", job.stJobName));
    else if (auto* imageJob = dynamic_cast<TJob_DriveImage*>(&job))
        editThroughWizard(*windows.DriveImageWizard, *imageJob, wizardCaption("Properties", job.stJobName));
}

void TJobCommands::ActionRenameExecute(TJob& job)
{
    if (!job.isIdle())
        return;
    QString typed = job.stJobName;
    if (!QueryInput(windows.Main, Translate(QStringLiteral("Rename Job")),
                    Translate(QStringLiteral("New job name:")), typed))
        return;
    const TJobNameCheck check = CheckTypedJobName(jobs, typed, &job);
    if (!nameAccepted(check.Outcome, check.ErrorMessage))
        return;
    if (!job.isIdle() || scheduler.TickInProgress) {
        showRefusal();
        return;
    }
    TJobRenameOutcome outcome = rnFailed;
    {
        TBusyCursor busy;
        outcome = RenameJob(jobs, job, check.Name);
    }
    if (outcome == rnJobRunning)
        showRefusal();
    else if (outcome == rnFailed)
        ShowMessageDialog(
            Translate(QStringLiteral(
                "Unable to rename the job. Please learn last error messages in the Events log.")),
            mtError, mbOK, 0, windows.Main);
}

void TJobCommands::ActionRemoveExecute(TJob& job)
{
    if (!job.isIdle())
        return;
    if (ShowMessageDialog(FillPlaceholders(Translate(QStringLiteral("Remove the record for backup job %s?")),
                                           {job.stJobName}),
                          mtConfirmation, mbYesNo, 0, windows.Main) != mrYes)
        return;
    if (scheduler.TickInProgress || !job.isIdle()) {
        showRefusal();
        return;
    }
    TJobRemoval removal;
    removal.RemoveBackups = false;
    removal.Started = [] { QApplication::setOverrideCursor(Qt::WaitCursor); };
    removal.Ended = [] { QApplication::restoreOverrideCursor(); };
    removal.ShowError = [this](const QString& message) {
        ShowMessageDialog(message, mtError, mbOK, 0, windows.Main);
    };
    if (ShowMessageDialog(
            Translate(QStringLiteral("Do you want also to remove the backup folder with all its contents?")),
            mtConfirmation, mbYesNo, 0, windows.Main) == mrYes) {
        if (job.Kind() != jkDriveImage || ElevatedInstance.load()) {
            removal.RemoveBackups = true;
        } else {
            // Deleting image versions needs administrator rights: an elevated instance removes the job
            // at its start, and this one ends.
            if (!jobs.IsSomeJobRunning() &&
                elevation.StartElevated({QStringLiteral("/remove"), job.stJobName})) {
                AppTerminating.store(true);
                if (CloseForGood)
                    CloseForGood();
                return;
            }
            removal.ShowError(TJobRemoval::BackupsNotRemovedText(job));
        }
    }
    const int index = indexOfJob(jobs, job);
    if (index >= 0 && removal.Remove(jobs, index).Step == jrJobRunning)
        showRefusal();
}

void TJobCommands::ActionOpenExecute()
{
    if (windows.OpenJobDialog->ShowModalResult() != 1)
        return;
    TJobImportResult result;
    {
        TBusyCursor busy;
        result = ImportJobFromStorage(jobs, windows.OpenJobDialog->JobFilePath());
    }
    if (!result.ErrorMessage.isEmpty())
        ShowMessageDialog(result.ErrorMessage, mtError, mbOK, 0, windows.Main);
}
