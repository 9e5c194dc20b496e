#pragma once
// Restores driven the way the program drives them: a scripted restore interaction, a job whose
// destination is a local folder or the SMB test share, and helpers that build backup layouts by hand
// (subfolders with catalogs, the remote job file, the start flag) and read back the output folder.
#include "jobs/uJob_FilesAndFolders.h"
#include "support/JobRunFixture.h"

#include <gtest/gtest.h>
#include <QDateTime>
#include <QMap>
#include <QStringList>

// Answers the preparation's questions from fields and records what it was shown.
class ScriptedRestoreUi final : public TRestoreInteraction
{
public:
    bool ChooseOutputFolder(QString& folder) override;
    void ShowLoading() override { ++loadingShown; }
    void CloseLoading() override { ++loadingClosed; }
    bool ChooseRestorePoint(const QStringList& labels, qint32& index) override;
    QString QueryZipPassword(const QString&, const QString&) override { return QString(); }
    void ShowError(const QString& message) override { errors.append(message); }

    static constexpr qint32 kCancel = -100;
    static constexpr qint32 kLatest = -200;
    QString outputFolder; // empty: the folder chooser is cancelled
    qint32 point = kLatest;

    int folderAsked = 0;
    int loadingShown = 0;
    int loadingClosed = 0;
    bool chooserShown = false;
    QStringList labels;
    QStringList errors;
};

// One hand-made backup subfolder: its files (relative path and content) and its four catalogs.
struct HandMadePoint
{
    QString name;
    QMap<QString, QByteArray> files; // written into the subfolder and listed in "_rf.obl"
    QStringList folders;             // "_rd.obl" (also created in the subfolder)
    QStringList removedFiles;        // "_rrf.obl"
    QStringList removedFolders;      // "_rrd.obl"
};

enum class RestoreDestination
{
    Local,
    Smb
};

class RestoreTest : public JobRunOf<TJob_FilesAndFolders>
{
protected:
    void SetUp() override;

    // Points the job at the SMB test share; false when smbd cannot run here.
    bool useSmbDestination();

    QString stored(const QString& relative) const { return backupRoot() + '/' + relative; }
    void writePoint(const HandMadePoint& point);
    // The remote job file: marker first, then the points; the mirror lists ride along.
    void writeRemoteJobFile(const QStringList& mainBackupList, const QStringList& files = {},
                            const QStringList& dirs = {});
    void writeStartFlag(const QStringList& lines);
    // Replaces one catalog of a point with the given entries, as they stand.
    bool WriteCatalogFileFor(const QString& point, const QString& catalog, const QStringList& entries);

    // Restore() with the scripted interaction; waits until the job is idle again.
    void restore();

    QString freshOutput();
    // True when a queued event ends with `text` (events carry their date and time in front).
    static bool eventQueued(const QString& text);
    // The saved run log files in the job's log folder.
    QStringList savedLogs() const;

    ScriptedRestoreUi ui;
};
