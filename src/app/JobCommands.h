#pragma once
// The main window's commands that create, edit, rename, remove and import jobs, with the dialogs and
// wizards they show. The work on files and storage is the core's (operations/, app/core/JobRemoval).
#include <QString>

#include <functional>

class TElevation;
class TJob;
class TJobCatalogue;
class TScheduler;
class TfrmMainOstrinBackup;
class TfrmNewBackupJob;
class TfrmOpenJobDialog;
class TfrmWizard_DriveImageBackup;
class TfrmWizard_FilesBackup;

struct TJobCommandWindows
{
    TfrmMainOstrinBackup* Main = nullptr;
    TfrmNewBackupJob* NewBackupJob = nullptr;
    TfrmOpenJobDialog* OpenJobDialog = nullptr;
    TfrmWizard_FilesBackup* FilesWizard = nullptr;
    TfrmWizard_DriveImageBackup* DriveImageWizard = nullptr;
};

class TJobCommands
{
public:
    TJobCommands(TJobCatalogue& jobs, TScheduler& scheduler, TElevation& elevation,
                 const TJobCommandWindows& windows);
    TJobCommands(const TJobCommands&) = delete;
    TJobCommands& operator=(const TJobCommands&) = delete;

    // "New Job" and "Create...": name and kind, then the wizard of that kind.
    void ActionNewJobExecute();
    // A copy of `job` under a new name, through the wizard of its kind.
    void ActionDuplicateExecute(TJob& job);
    // "Settings": the job in its wizard; saved only while the job is idle.
    void ActionPropertiesExecute(TJob& job);
    void ActionRenameExecute(TJob& job);
    // Removes the job, and on request its backups; a drive image job's backups need an elevated
    // instance, to which the removal is handed.
    void ActionRemoveExecute(TJob& job);
    // "Import...": the job file chosen in the import dialog (which shows its DefaultPath first).
    void ActionOpenExecute();

    // Ends this instance after an elevated one has taken the removal over.
    std::function<void()> CloseForGood;

private:
    // The name check's outcome: true to go on with check.Name; a refusal is shown.
    bool nameAccepted(int outcome, const QString& errorMessage) const;
    // Shows `wizard` for a job that does not exist yet and adds the job on "Save" or "Save && Run"
    // (`result`). `original`: the job to copy the settings from, or null. Returns the added job or null.
    template <class Job, class Wizard>
    TJob* createThroughWizard(Wizard& wizard, const QString& name, const QString& typedName,
                              const Job* original, int& result);
    template <class Job, class Wizard>
    void editThroughWizard(Wizard& wizard, Job& job, const QString& caption);
    void showRefusal() const;

    TJobCatalogue& jobs;
    TScheduler& scheduler;
    TElevation& elevation;
    TJobCommandWindows windows;
};
