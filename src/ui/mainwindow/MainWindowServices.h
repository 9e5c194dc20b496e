#pragma once
// What the main window needs from the program around it: the catalogue and the scheduler it shows,
// and the commands whose windows or lifecycle belong to the program. The window reads no global state.
#include <QString>
#include <QStringList>

#include <functional>

class TJob;
class TJobCatalogue;
class TScheduler;

struct TMainWindowServices
{
    TJobCatalogue* Jobs = nullptr;
    TScheduler* Scheduler = nullptr;
    // Opens a text file in the log viewer, modally; true: a run log (error/warning navigation on).
    std::function<void(const QString& path, bool showErrorsWarnings)> OpenReport;
    // "Quit" (File menu; the tray's "Quit" calls the same from app).
    std::function<void()> Quit;
    // Asked by closeEvent: true when the window may really close; false: keep it (the lifecycle has
    // hidden or minimized it). Unset: close.
    std::function<bool()> CloseQuery;
    // Called by every showEvent (FormShow).
    std::function<void()> Shown;
    // A run the user started by hand with "Backup" (no end-of-run notification for those).
    std::function<void(TJob&)> StartedByHand;
    // Commands whose windows come later (wizards, options, restore, import). Unset: a clear
    // "not available yet" information message.
    std::function<void()> NewJob, ImportJob, Options;
    std::function<void(TJob&)> Duplicate, Settings, Rename, Remove, Restore;
    // "Verify": the newest restore point of an idle files-and-folders job read again and checked, as
    // an operation of the job.
    std::function<void(TJob&)> Verify;
    // The global folder of the log files (the options' PathForLogFiles): "History" writes there and
    // "Log" reads the job's run logs below it. Unset or empty: those commands report the missing folder.
    std::function<QString()> LogFolder;
    // The "Language" menu: the languages' names (English first), the index of the active one, and the
    // choice of one, which the program keeps and saves. Unset: the menu offers English alone.
    std::function<QStringList()> LanguageNames;
    std::function<int()> ActiveLanguage;
    std::function<void(int index)> ChooseLanguage;
};
