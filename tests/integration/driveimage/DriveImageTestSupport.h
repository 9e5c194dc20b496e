#pragma once
// Drive image runs against the real image tool: file-backed volumes with known content and holes, an
// "external drive" that is a tmpfs mounted for the test (the tool writes to the mount point that holds
// the destination), and an elevation command that records what it runs and then runs it.
#include "jobs/uJob_DriveImage.h"
#include "support/JobRunFixture.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <QByteArray>
#include <QString>
#include <QStringList>

struct ToolResult
{
    int exitCode = -1;
    QString output;
};

class DriveImageTest : public JobRunOf<TJob_DriveImage>
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Mounts a tmpfs of `megabytes` at a new folder; empty (and the test is to be skipped) when this
    // process may not mount.
    QString mountDrive(const QString& hint, int megabytes);
    // A file-backed volume of `size` bytes: pseudo-random data from `seed` in some ranges, holes and
    // written zeros in others.
    QString makeVolume(const QString& name, qint64 size, quint32 seed);
    // Writes pseudo-random bytes into an existing volume.
    static void scribble(const QString& volume, qint64 offset, qint64 size, quint32 seed);

    // Runs the tool itself (for recovery and listings) and waits for it.
    static ToolResult runTool(const QStringList& arguments, const QHash<QString, QString>& environment = {});
    static QString toolPath() { return QStringLiteral(ZORVAN_BIN_DIR "/zorvan-imagetool"); }

    // The complete and the unfinished version folders of this computer on `drive`.
    static QStringList versionsOn(const QString& drive);
    static QStringList partialVersionsOn(const QString& drive);
    // The command lines the elevation command was asked to run, one per line.
    QStringList elevatedCommands() const;

    QStringList logLinesWith(const QString& text) const;

    QString drive;       // mount point of the "external drive"
    QString volumes;     // folder of the volume files
    QString elevatedLog; // what the elevation command ran

private:
    QStringList mounted;
};
