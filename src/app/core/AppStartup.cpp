#include "app/core/AppStartup.h"

#include "app/core/DesktopSettings.h"
#include "base/AppState.h"
#include "events/EventsLog.h"
#include "i18n/Translate.h"
#include "i18n/TranslationFile.h"
#include "jobs/JobCatalogue.h"
#include "options/uOptions.h"
#include "platform/AskingUser.h"
#include "platform/Autorun.h"
#include "platform/ProcessPriority.h"
#include "platform/StandardFolders.h"

#include <QDir>
#include <QFile>

namespace {

const QString kRestartAdvice =
    QStringLiteral("Please make sure the directory is accessible, and restart the program.");

// Creates `path` with its parents when it is missing. Events and, on failure, the error message use
// the given texts. Returns false when the folder is missing and could not be created.
bool ensureFolder(const QString& path, const QString& createdText, const QString& failedText,
                  TStartupResult& result)
{
    if (QDir(path).exists())
        return true;
    if (MakePathForAskingUser(path)) {
        AddEvent(Translate(createdText) + ' ' + path);
        return true;
    }
    AddEvent(Translate(failedText) + ' ' + path);
    result.ErrorMessages.append(Translate(failedText) + path + QStringLiteral("\n\n") +
                                Translate(kRestartAdvice));
    return false;
}

} // namespace

QString TemporaryFolderName()
{
    return QStringLiteral(ZORVAN_APP_TITLE).remove(' ') + QStringLiteral("Tmp");
}

TStartupResult PrepareApplication(TJobCatalogue& catalogue, const TStartupSteps& steps)
{
    TStartupResult result;
    const QString appCreated = QStringLiteral("Application directory is created:");
    const QString appFailed = QStringLiteral("ERROR: Unable to create application directory:");
    if (!ensureFolder(StandardFolders::applicationDataFolder(), appCreated, appFailed, result) ||
        !ensureFolder(StandardFolders::sharedDataFolder(), appCreated, appFailed, result)) {
        result.MustTerminate = true;
        AppTerminating = true;
        return result;
    }

    if (!LoadOptions()) {
        if (steps.WriteAutorunWithDefaults) {
            SetDefaultOptions();
        } else {
            SetDefaultOptions(false);
            GlobalOptions.General.RunProgramAtLogon = QFile::exists(AutorunEntryPath());
        }
    }
    GlobalOptions.Processing.VerifyCopiesAfterBackup = LoadVerifyCopiesAfterBackup();
    GlobalOptions.General.CheckForNewVersionAtStart = LoadCheckForNewVersionAtStart();
    LoadTranslationFile(TranslationFilePath(), GlobalOptions.Language);

    ensureFolder(GlobalOptions.General.PathForTempFiles, QStringLiteral("Temporary directory is created:"),
                 QStringLiteral("ERROR: Unable to create temporary directory:"), result);
    ensureFolder(GlobalOptions.Logging.PathForLogFiles, QStringLiteral("Log directory is created:"),
                 QStringLiteral("ERROR: Unable to create log directory:"), result);

    if (steps.ApplyPriority)
        ApplyProcessPriority(GlobalOptions.General.ProcessPriority);

    result.JobsLoaded = catalogue.LoadJobsListAndJobs();
    if (result.JobsLoaded)
        AddEvent(Translate(QStringLiteral("Backup jobs are loaded.")));
    return result;
}
