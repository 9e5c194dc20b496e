#include "app/ProgramEntry.h"

#include "app/core/CommandLine.h"
#include "app/core/InstanceHandOver.h"
#include "app/WindowScreenshot.h"
#include "app/ZorvanBackupProgram.h"
#include "base/AppState.h"
#include "base/Placeholders.h"
#include "i18n/Translate.h"
#include "platform/ElevationCommand.h"
#include "platform/InstanceLock.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/widgets/Icons.h"

#include <QApplication>
#include <QStyleFactory>
#include <QThread>
#include <QTimer>

#include <cstdlib>
#include <optional>

namespace {

// How long a second start stays after handing over a job file, as the import may still be opening.
constexpr int kAfterImportMsecs = 1000;
// How often an instance started beside a running one tries to take the lock over.
constexpr int kLockRetryMsecs = 1000;

} // namespace

int HandOverToRunningInstance(const TCommandLine& commandLine, const TInstanceLock& lock,
                              const std::function<void()>& makeApplication)
{
    const THandOverRequest request = HandOverRequestFor(commandLine);
    if (SendHandOver(request) == hrAcknowledged) {
        if (request.Kind == THandOverRequest::hoImport)
            QThread::msleep(kAfterImportMsecs);
        return 0;
    }
    // The lock is held but nobody answers: the command-line scheduler holds it; it has no window.
    if (makeApplication)
        makeApplication();
    const qint64 holder = lock.holderProcessId();
    if (holder == 0) {
        // Nobody holds it: the lock file could not be made.
        ShowMessageDialog(
            Translate(QStringLiteral("ERROR: Unable to create the lock file:")) + ' ' +
                TInstanceLock::lockFilePath() + QStringLiteral("\n\n") +
                Translate(QStringLiteral("Please make sure the directory is accessible, and restart "
                                         "the program.")),
            mtError, mbOK);
        return 1;
    }
    ShowMessageDialog(FillPlaceholders(Translate(QStringLiteral("The backup jobs of this user are already "
                                                                "scheduled by the command-line scheduler "
                                                                "(zorvanbackup-cli scheduler, process %s). "
                                                                "Stop it, then start %s again.")),
                                       {QString::number(holder), QStringLiteral(ZORVAN_APP_TITLE)}),
                      mtError, mbOK);
    return kScheduledByCommandLine;
}

void SetUpApplication()
{
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QCoreApplication::setApplicationName(QStringLiteral(ZORVAN_APP_TITLE));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZORVAN_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("zorvanbackup"));
    QApplication::setWindowIcon(OwnIcon(":/icons/zorvanbackup.svg"));
    QApplication::setQuitOnLastWindowClosed(false);
}

int RunZorvanBackup(int& argc, char** argv)
{
    // An elevated restart brings the user's folders and session as trailing arguments: they must be in
    // the environment before the lock, the folders or the display are looked up.
    ApplyPassedVariables(argc, argv);
    const TCommandLine commandLine = TCommandLine::fromArguments(argc, argv);
    TInstanceLock lock;
    const bool onlyInstance = lock.tryLock();
    ElevatedInstance.store(commandLine.IsElevatedInstance());
    if (!ElevatedInstance.load() && !onlyInstance) {
        // A hand-over needs no display; the application object only for a message.
        std::optional<QApplication> messageApp;
        return HandOverToRunningInstance(commandLine, lock, [&] {
            messageApp.emplace(argc, argv);
            SetUpApplication();
        });
    }

    QApplication app(argc, argv);
    SetUpApplication();
    auto program = std::make_unique<TZorvanBackupProgram>(commandLine);
    // An instance beside a running one (elevated, or with a command-line action) takes no hand-overs.
    if (onlyInstance)
        program->ListenForHandOver();
    // Once the instance it was started beside has ended (right away after an elevated restart), it
    // becomes the running instance: the user's next start hands over to it instead of scheduling the
    // same jobs a second time.
    QTimer lockRetry;
    if (!onlyInstance) {
        QObject::connect(&lockRetry, &QTimer::timeout, [&] {
            if (lock.tryLock()) {
                lockRetry.stop();
                program->ListenForHandOver();
            }
        });
        lockRetry.start(kLockRetryMsecs);
    }
    if (!program->Create() || !program->PassStartupGates())
        return 1;
    const TWindowScreenshot screenshot(*program);
    // SIGTERM or the end of the session during the gates: there is no loop left to run.
    if (program->lifecycle().ended())
        return 0;
    program->ShowAtStart();
    const int code = app.exec();
    if (program->jobs().IsSomeJobRunning()) {
        // Runs still going end with the process; their jobs must not be destroyed under them.
        std::_Exit(code);
    }
    program.reset();
    return code;
}
