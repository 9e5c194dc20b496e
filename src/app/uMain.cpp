#include "app/uMain.h"

#include "app/core/JobRemoval.h"
#include "app/core/WindowLayout.h"
#include "base/AppState.h"
#include "base/Placeholders.h"
#include "i18n/Translate.h"
#include "jobs/JobCatalogue.h"
#include "options/uOptions.h"
#include "scheduler/RunControl.h"
#include "scheduler/Scheduler.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/dialogs/TfrmEnterPassword.h"
#include "ui/mainwindow/TfrmMainOstrinBackup.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QSystemTrayIcon>

#include <algorithm>

namespace {

// The longest the window's events wait while running jobs are awaited.
constexpr int kEventsMsecs = 10;

} // namespace

TMainWindowLifecycle::TMainWindowLifecycle(const TCommandLine& commandLine, TJobCatalogue& jobs,
                                           TScheduler& scheduler)
    : commandLine(commandLine), jobs(jobs), scheduler(scheduler)
{
}

void TMainWindowLifecycle::attach(TfrmMainOstrinBackup& mainWindow, TfrmEnterPassword& passwordDialog)
{
    window = &mainWindow;
    enterPassword = &passwordDialog;
}

void TMainWindowLifecycle::FormCreate()
{
    window->setWindowTitle(QStringLiteral(ZORVAN_APP_TITLE " " ZORVAN_VERSION));
    LoadFormPosAndView();
    // The window will not be shown, so its first showing cannot start the scheduler.
    if (commandLine.Hide())
        scheduler.enableTimer();
}

void TMainWindowLifecycle::LoadFormPosAndView()
{
    const std::optional<TWindowLayout> layout = LoadWindowLayout();
    if (!layout) {
        window->resize(kDesignWidth, kDesignHeight);
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect available = screen->availableGeometry();
            QRect frame = window->frameGeometry();
            frame.moveCenter(available.center());
            // A screen smaller than the window shows at least its top left corner.
            window->move(std::max(frame.left(), available.left()), std::max(frame.top(), available.top()));
        }
        return;
    }
    QRect geometry = window->geometry();
    if (layout->X)
        geometry.moveLeft(*layout->X);
    if (layout->Y)
        geometry.moveTop(*layout->Y);
    if (layout->W)
        geometry.setWidth(*layout->W);
    if (layout->H)
        geometry.setHeight(*layout->H);
    window->setWindowState(window->windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
    window->setGeometry(geometry);
    if (layout->M && *layout->M == 1)
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
    if (layout->EventsHeight)
        window->setEventsHeight(*layout->EventsHeight);
}

void TMainWindowLifecycle::SaveFormPosAndView()
{
    // The normal geometry: a maximized window reopens maximized over the place it had before.
    const QRect normal = window->normalGeometry().isValid() ? window->normalGeometry() : window->geometry();
    SaveWindowLayout(normal.x(), normal.y(), normal.width(), normal.height(), window->isMaximized(),
                     window->eventsHeight());
}

void TMainWindowLifecycle::FormShow()
{
    if (FirstShowDone)
        return;
    FirstShowDone = true;
    runCommandLineAction();
    if (!scheduler.isTimerEnabled())
        scheduler.enableTimer();
}

void TMainWindowLifecycle::runCommandLineAction()
{
    const QString name = commandLine.JobName();
    if (commandLine.Restore()) {
        restoreNamedJobs(name);
    } else if (commandLine.Backup()) {
        for (int i = 0; i < jobs.count(); ++i) {
            if (jobs.at(i)->stJobName == name)
                jobs.at(i)->SetStatus(jsWaiting);
        }
    } else if (commandLine.Remove()) {
        removeNamedJob(name);
    } else if (const QString path = commandLine.JobFileToImport(); !path.isEmpty()) {
        if (ImportJob)
            ImportJob(path);
    }
}

void TMainWindowLifecycle::restoreNamedJobs(const QString& name)
{
    QList<TJob*> named;
    for (int i = 0; i < jobs.count(); ++i) {
        if (jobs.at(i)->stJobName == name)
            named.append(jobs.at(i));
    }
    for (TJob* job : named) {
        if (Restore)
            Restore(*job);
        else
            ShowMessageDialog(Translate(QStringLiteral("This command is not available yet.")), mtInformation,
                              mbOK, 0, window);
    }
}

void TMainWindowLifecycle::removeNamedJob(const QString& name)
{
    int index = -1;
    for (int i = 0; i < jobs.count() && index < 0; ++i) {
        if (jobs.at(i)->stJobName == name)
            index = i;
    }
    if (index < 0)
        return;
    TJobRemoval removal;
    removal.Started = [] { QApplication::setOverrideCursor(Qt::WaitCursor); };
    removal.Ended = [] { QApplication::restoreOverrideCursor(); };
    removal.ShowError = [this](const QString& message) {
        ShowMessageDialog(message, mtError, mbOK, 0, window);
    };
    const TJobRemovalResult result = removal.Remove(jobs, index);
    if (result.Step == jrJobRunning)
        ShowPlainMessage(TRunControl::RefusalText(), window);
    // The list must not paint a job that is gone.
    window->Refresh(scheduler.lastCounts());
}

bool TMainWindowLifecycle::isWindowShown() const
{
    return window->isVisible() && !window->isMinimized();
}

bool TMainWindowLifecycle::AskConfigurationPassword()
{
    if (!GlobalOptions.General.ProtectConfigurationbyPassword)
        return true;
    if (enterPassword->ShowModalResult() == 0)
        return false;
    if (enterPassword->EnteredPassword().trimmed() !=
        GlobalOptions.General.strProtectConfiguration_Password) {
        ShowMessageDialog(Translate(QStringLiteral("Invalid password")), mtError, mbOK);
        return false;
    }
    return true;
}

void TMainWindowLifecycle::ShowApplication1Click()
{
    if (isWindowShown() || enterPassword->isVisible())
        return;
    if (!AskConfigurationPassword())
        return;
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

void TMainWindowLifecycle::ShowRequested()
{
    if (!isWindowShown())
        ShowApplication1Click();
}

void TMainWindowLifecycle::ImportRequested(const QString& path)
{
    if (!isWindowShown())
        ShowApplication1Click();
    // The import runs whether or not the password let the window up.
    if (HasRemoteJobFileExtension(path) && ImportJob)
        ImportJob(path);
}

void TMainWindowLifecycle::hideWindow()
{
    // Without a notification area a hidden window could not be reached again: it is minimized instead.
    if (QSystemTrayIcon::isSystemTrayAvailable())
        window->hide();
    else
        window->showMinimized();
}

bool TMainWindowLifecycle::FormCloseQuery()
{
    SaveFormPosAndView();
    if (!AppTerminating.load()) {
        hideWindow();
        return false;
    }
    CancelAllAndWait(scheduler, kStopWaitMsecs, kEventsMsecs);
    if (!programEnded) {
        programEnded = true;
        if (EndProgram)
            EndProgram();
    }
    return true;
}

void TMainWindowLifecycle::CloseForGood()
{
    AppTerminating.store(true);
    window->close();
    // A window that is not shown may not get the close request from the window system.
    if (!programEnded)
        FormCloseQuery();
}

QString TMainWindowLifecycle::QuitQuestionText()
{
    return FillPlaceholders(Translate(QStringLiteral("Quit %s?")), {QStringLiteral(ZORVAN_APP_TITLE)});
}

QString TMainWindowLifecycle::RunningJobsQuestionText()
{
    return Translate(QStringLiteral("Some jobs are currently running.")) + '\n' +
           Translate(QStringLiteral("Do you want to cancel them and quit?"));
}

void TMainWindowLifecycle::ActionQuitExecute()
{
    if (jobs.IsSomeJobRunning()) {
        const QString question = RunningJobsQuestionText();
        if (ShowMessageDialog(question, mtConfirmation, mbYesNo, 0, window) == mrNo)
            return;
        window->AppendToEventsPanel(question);
    } else if (ShowMessageDialog(QuitQuestionText(), mtConfirmation, mbYesNo, 0, window) == mrNo) {
        return;
    }
    CloseForGood();
}

void TMainWindowLifecycle::EndSession()
{
    if (programEnded)
        return;
    CloseForGood();
}
