#include "app/WindowScreenshot.h"

#include "app/ZorvanBackupProgram.h"
#include "ui/mainwindow/TfrmMainOstrinBackup.h"

#include <QPixmap>
#include <QTextStream>

TWindowScreenshot::TWindowScreenshot(TZorvanBackupProgram& program)
    : program(program), path(qEnvironmentVariable("ZORVAN_SCREENSHOT"))
{
    if (!path.isEmpty())
        program.Ticked = [this] { ticked(); };
}

bool TWindowScreenshot::runShowsProgress() const
{
    const TJobCatalogue& jobs = program.jobs();
    for (int i = 0; i < jobs.count(); ++i) {
        const int progress = jobs.at(i)->CurrentFileOperationProgress.load();
        if (jobs.at(i)->JobStatus.load() == jsRunning && progress > 0 && progress < 100)
            return true;
    }
    return false;
}

void TWindowScreenshot::ticked()
{
    if (taken || (++ticks < kMaxTicks && !runShowsProgress()))
        return;
    taken = true;
    if (!program.mainWindow().grab().save(path))
        QTextStream(stderr) << "zorvanbackup: cannot save the picture " << path << "\n";
    program.lifecycle().EndSession();
}
