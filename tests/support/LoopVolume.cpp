#include "support/LoopVolume.h"

#include "platform/MountTable.h"

#include <QDir>
#include <QFile>
#include <QProcess>

namespace {

// Runs a system tool; empty when it succeeded, else what it said.
QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(30000))
        return program + QStringLiteral(": ") + process.errorString();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return program + QStringLiteral(": ") + QString::fromLocal8Bit(process.readAll()).trimmed();
    return QString();
}

} // namespace

LoopVolume::LoopVolume(const QString& imageFile, const QString& point, const QString& label, bool readOnly,
                       int megabytes)
    : point(point)
{
    QDir().mkpath(point);
    QFile image(imageFile);
    if (!image.open(QIODevice::WriteOnly) || !image.resize(qint64(megabytes) << 20)) {
        error = image.errorString();
        return;
    }
    image.close();
    error = run(QStringLiteral("mkfs.ext4"),
                {QStringLiteral("-q"), QStringLiteral("-F"), QStringLiteral("-L"), label, imageFile});
    if (error.isEmpty())
        error = run(QStringLiteral("mount"),
                    {QStringLiteral("-o"), readOnly ? QStringLiteral("loop,ro") : QStringLiteral("loop"),
                     imageFile, point});
    if (!error.isEmpty())
        return;
    isMounted = true;
    const TMountTable mounts = TMountTable::FromSystem();
    if (const TMountEntry* entry = mounts.FindMountPoint(QDir(point).canonicalPath()))
        loopDevice = entry->Source;
}

LoopVolume::~LoopVolume()
{
    // The loop device was set up to detach itself when the last mount goes.
    if (isMounted && !run(QStringLiteral("umount"), {point}).isEmpty())
        run(QStringLiteral("umount"), {QStringLiteral("-l"), point});
}
