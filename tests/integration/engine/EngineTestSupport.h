#pragma once
// Real backup runs over generated trees: a job with a local or SMB destination, runs started the way
// the program starts them, and helpers that read back what landed on the storage.
#include "jobs/uJob_FilesAndFolders.h"
#include "support/SmbServer.h"

#include <gtest/gtest.h>
#include <QDateTime>
#include <QStringList>

#include <functional>
#include <memory>

enum class Destination
{
    Local,
    Smb
};

class EngineTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Points the job at an SMB share of the test server; false (test skipped) when smbd cannot run here.
    bool useSmbDestination();

    // Starts a backup as the program does and waits until the job is idle; the clock then moves on a
    // minute so that the next run gets its own subfolder and log file.
    void runBackup();
    // Starts a backup and returns at once.
    void startBackup();
    void waitUntilIdle();
    // Waits up to 30 s for `condition`; false when it never held.
    static bool waitFor(const std::function<bool()>& condition);

    // Writes a source file below sourceRoot with the given last-write time (default: a fixed moment
    // plus a counter, so that every write gets its own stamp).
    QString writeSource(const QString& relativePath, const QByteArray& content = "data",
                        QDateTime mtime = QDateTime());
    void setMtime(const QString& path, const QDateTime& mtime);

    QString backupRoot() const { return destinationFolder + "/Docs job"; }
    // The local folder that holds BackupRoot (the share's folder for an SMB destination).
    QString storedPath(const QString& relative) const { return backupRoot() + '/' + relative; }
    // Every file and folder below `folder`, relative, folders with a trailing "/", sorted.
    static QStringList treeOf(const QString& folder);
    // The remote job file on the storage.
    TRemoteBookkeeping storedBookkeeping();
    QStringList logLines() const { return job->LastJobResult.Log.snapshot(); }
    bool logHas(const QString& text) const;
    // The last line of the run log that contains `text`, or empty.
    QString logLineWith(const QString& text) const;
    static QString subfolder(int minute, const char* kind);
    static QStringList catalog(const QString& path);

    QString sourceRoot;
    QString destinationFolder; // local path of the destination folder
    std::unique_ptr<TJob_FilesAndFolders> job;
    static std::unique_ptr<SmbServer> smb;

private:
    int mtimeCounter = 0;
};

// "Docs job" with these settings; the sources are sourceRoot entries.
void ConfigureJob(TJob_FilesAndFolders& job, TBackupType type, const QStringList& sources);
