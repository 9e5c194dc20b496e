#pragma once
// Real backup runs over generated trees: a job with a local or SMB destination, runs started the way
// the program starts them, and helpers that read back what landed on the storage.
#include "jobs/uJob_FilesAndFolders.h"
#include "support/JobRunFixture.h"

#include <gtest/gtest.h>
#include <QDateTime>
#include <QStringList>

enum class Destination
{
    Local,
    Smb
};

class EngineTest : public JobRunOf<TJob_FilesAndFolders>
{
protected:
    void SetUp() override;

    // Writes a source file below sourceRoot with the given last-write time (default: a fixed moment
    // plus a counter, so that every write gets its own stamp).
    QString writeSource(const QString& relativePath, const QByteArray& content = "data",
                        QDateTime mtime = QDateTime());
    void setMtime(const QString& path, const QDateTime& mtime);

    // The local folder that holds BackupRoot (the share's folder for an SMB destination).
    QString storedPath(const QString& relative) const { return backupRoot() + '/' + relative; }
    static QString subfolder(int minute, const char* kind);
    static QStringList catalog(const QString& path);

private:
    int mtimeCounter = 0;
};

// "Docs job" with these settings; the sources are sourceRoot entries.
void ConfigureJob(TJob_FilesAndFolders& job, TBackupType type, const QStringList& sources);
