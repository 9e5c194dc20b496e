#pragma once
// The main window's lifecycle around the view: the start-up half that needs the window (layout, the
// scheduler with "/hide"), the first showing's command-line action, the show routine behind the
// configuration password, hiding on close, "Quit" and the end of the session, each of which cancels
// running jobs and waits for them a few seconds before the program ends.
#include "app/core/CommandLine.h"

#include <QObject>
#include <QString>

#include <functional>

class TJob;
class TJobCatalogue;
class TScheduler;
class TfrmEnterPassword;
class TfrmMainOstrinBackup;

class TMainWindowLifecycle : public QObject
{
    Q_OBJECT
public:
    // The size of the window's client area when no layout is stored yet.
    static constexpr int kDesignWidth = 904;
    static constexpr int kDesignHeight = 515;
    // How long a close for good waits for cancelled runs to end.
    static constexpr int kStopWaitMsecs = 5000;

    TMainWindowLifecycle(const TCommandLine& commandLine, TJobCatalogue& jobs, TScheduler& scheduler);
    Q_DISABLE_COPY_MOVE(TMainWindowLifecycle)

    // The windows it works on, once they exist.
    void attach(TfrmMainOstrinBackup& window, TfrmEnterPassword& enterPassword);

    // The start-up after the core's preparation: the stored layout (or the design size, centred), and
    // the scheduler at once when the window starts hidden.
    void FormCreate();
    // Every showing of the window; only the first runs the command-line action and starts the scheduler.
    void FormShow();
    // Brings the window up through the configuration password. Nothing happens while the window is
    // shown or the password is being asked.
    void ShowApplication1Click();
    // The window shows (a minimized window stands in for a hidden one where there is no tray).
    bool isWindowShown() const;
    // A hand-over from a second start: show the window; import a job file.
    void ShowRequested();
    void ImportRequested(const QString& path);

    // Every close request: saves the layout; hides the window unless the program ends; when it ends,
    // cancels running jobs and waits for them. True when the window may really close.
    bool FormCloseQuery();
    // "Quit": asks, then ends the program.
    void ActionQuitExecute();
    // The session ends or SIGTERM came: the program ends without asking.
    void EndSession();
    // Sets AppTerminating and closes the window for good (also when it is hidden).
    void CloseForGood();
    // The configuration password when it is protected: true when the typed text (blanks at either end
    // dropped) matches; a wrong one is told with "Invalid password", a cancelled prompt silently.
    bool AskConfigurationPassword();

    void LoadFormPosAndView();
    void SaveFormPosAndView();

    bool firstShowDone() const { return FirstShowDone; }
    // The program has been closed for good (EndProgram was called).
    bool ended() const { return programEnded; }

    // The import action with `path` filled in as the default path.
    std::function<void(const QString& path)> ImportJob;
    // The restore of a job named with "/restore". Unset: "not available yet".
    std::function<void(TJob& job)> Restore;
    // Ends the message loop after the window closed for good.
    std::function<void()> EndProgram;
    // The text of the "Quit" question when no job runs: "Quit %s?" with the title.
    static QString QuitQuestionText();
    // "Some jobs are currently running.", a line break, "Do you want to cancel them and quit?".
    static QString RunningJobsQuestionText();

private:
    void runCommandLineAction();
    void restoreNamedJobs(const QString& name);
    void removeNamedJob(const QString& name);
    void hideWindow();

    TCommandLine commandLine;
    TJobCatalogue& jobs;
    TScheduler& scheduler;
    TfrmMainOstrinBackup* window = nullptr;
    TfrmEnterPassword* enterPassword = nullptr;
    bool FirstShowDone = false;
    bool programEnded = false;
};
