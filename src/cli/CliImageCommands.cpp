#include "cli/CliImageCommands.h"

#include "cli/CliApp.h"
#include "cli/CliCreateOptions.h"
#include "jobs/uJob_DriveImage.h"

#include <QDir>

#include <memory>

namespace CliImageCommands {

bool IsImageCreate(const QStringList& args)
{
    const qsizetype at = args.indexOf(QStringLiteral("--kind"));
    return at >= 0 && at + 1 < args.size() && args.at(at + 1) == QStringLiteral("image");
}

int RunCreateImageJob(CliApp& app, const QStringList& args)
{
    TCliCreateOptions create(app, QStringLiteral("image"));
    QStringList volumes;
    QString keepVersions;
    const auto imageOption = [&](const QStringList& list, qsizetype& i, QString& problem) {
        const QString& arg = list.at(i);
        if (i + 1 >= list.size())
            return false;
        if (arg == QLatin1String("--volume")) {
            const QString volume = list.at(++i);
            volumes.append(volume.startsWith('/') ? QDir::cleanPath(volume) : volume);
            return true;
        }
        if (arg != QLatin1String("--keep-versions") || !keepVersions.isNull())
            return false;
        keepVersions = list.at(++i);
        bool number = false;
        // Keeping no version at all would delete the image a run has just made.
        if (keepVersions.toInt(&number) < 1 || !number)
            problem = QStringLiteral("--keep-versions takes a number of 1 or more");
        return true;
    };
    if (!create.parse(args, imageOption) ||
        !create.validate(!volumes.isEmpty(), QStringLiteral("a drive image job needs a name, --dest and at "
                                                            "least one --volume")))
        return CliApp::kUsage;

    auto job = std::make_unique<TJob_DriveImage>(create.name());
    job->Settings.SourceDrivesList = volumes;
    if (!keepVersions.isNull()) {
        job->Settings.AutocleanOldBackups = true;
        job->Settings.NumberOfBackupVersionsToKeep = QString::number(keepVersions.toInt());
    }
    return create.add(std::move(job),
                      QStringLiteral("Drive image job \"%1\" is created.").arg(create.name()));
}

} // namespace CliImageCommands
