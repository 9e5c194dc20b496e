#include "cli/CliImageCommands.h"

#include "cli/CliApp.h"
#include "cli/CliCreateOptions.h"
#include "jobs/uJob_DriveImage.h"

#include <QDir>

#include <memory>

bool TCliImageOptions::take(const QStringList& args, qsizetype& i, QString& problem)
{
    const QString& arg = args.at(i);
    if (editing && arg == QLatin1String("--no-keep-versions")) {
        if (!keepVersions.isNull() || noKeepVersions)
            problem = QStringLiteral("give either --keep-versions or --no-keep-versions, once");
        noKeepVersions = true;
        return true;
    }
    if (i + 1 >= args.size())
        return false;
    if (arg == QLatin1String("--volume")) {
        const QString volume = args.at(++i);
        if (!volumes)
            volumes = QStringList();
        volumes->append(volume.startsWith('/') ? QDir::cleanPath(volume) : volume);
        return true;
    }
    if (arg != QLatin1String("--keep-versions") || !keepVersions.isNull())
        return false;
    if (noKeepVersions)
        problem = QStringLiteral("give either --keep-versions or --no-keep-versions, once");
    keepVersions = args.at(++i);
    bool number = false;
    // Keeping no version at all would delete the image a run has just made.
    if (keepVersions.toInt(&number) < 1 || !number)
        problem = QStringLiteral("--keep-versions takes a number of 1 or more");
    return true;
}

void TCliImageOptions::apply(TJob_DriveImage& job) const
{
    if (volumes)
        job.Settings.SourceDrivesList = *volumes;
    if (!keepVersions.isNull()) {
        job.Settings.AutocleanOldBackups = true;
        job.Settings.NumberOfBackupVersionsToKeep = QString::number(keepVersions.toInt());
    }
    if (noKeepVersions)
        job.Settings.AutocleanOldBackups = false;
    job.NewSubfolderIsCreatedForEachBackup = true;
}

namespace CliImageCommands {

bool IsImageCreate(const QStringList& args)
{
    const qsizetype at = args.indexOf(QStringLiteral("--kind"));
    return at >= 0 && at + 1 < args.size() && args.at(at + 1) == QStringLiteral("image");
}

int RunCreateImageJob(CliApp& app, const QStringList& args)
{
    TCliCreateOptions create(app, QStringLiteral("image"));
    TCliImageOptions image(false);
    const auto imageOption = [&](const QStringList& list, qsizetype& i, QString& problem) {
        return image.take(list, i, problem);
    };
    if (!create.parse(args, imageOption) ||
        !create.validate(image.volumesGiven(), QStringLiteral("a drive image job needs a name, --dest and at "
                                                              "least one --volume")))
        return CliApp::kUsage;

    auto job = std::make_unique<TJob_DriveImage>(create.name());
    image.apply(*job);
    return create.add(std::move(job),
                      QStringLiteral("Drive image job \"%1\" is created.").arg(create.name()));
}

} // namespace CliImageCommands
