#pragma once
// The global options record, its defaults and the scrambled options file options.obo.
#include "i18n/Translate.h"

#include <QList>
#include <QString>
#include <QStringList>

struct TGeneralOptions
{
    bool RunProgramAtLogon = false;
    bool BlockSleepModeifJobIsScheduled = false;
    bool ProtectConfigurationbyPassword = false;
    QString strProtectConfiguration_Password;
    qint32 ProcessPriority = 0;
    QString PathForTempFiles;
    // Not part of the options file: kept in the desktop settings file beside the window layout.
    bool CheckForNewVersionAtStart = true;
};

struct TLoggingOptions
{
    qint32 MaxNumberOfLogsForEachJob = 0;
    qint32 MaxNumberOfLinesInHistory = 0;
    qint32 MaxNumberOfLinesInEventsLog = 0;
    bool DontLogCopyingInternalFiles = false;
    QString PathForLogFiles;
};

struct TProcessingOptions
{
    bool RunOnlyOneJobAtATime = false;
    qint32 IfDestinationNotAvailable_Retry_Times = 0;
    qint32 IfDestinationNotAvailable_Wait_Sec = 0;
    qint32 IfDestinationNotAvailable_Then = 0; // 0 cancel the job, 1 pause and wait for the user
    bool PreventOtherAppsFromWritingDuringZipping = false;
    bool RemovePreviousBackupIfCancelled = false;
    bool DontUseBufferingForCopyOperations = false;
    bool SkipHiddenSystemFiles = false;
    bool SkipLockedFiles = false;
    // Not part of the options file: kept in the desktop settings file beside the window layout.
    bool VerifyCopiesAfterBackup = false;
};

// A plain record copied by value; Qt's implicitly shared lists make every copy independent.
struct TOptions
{
    TLanguageOptions Language;
    TGeneralOptions General;
    TLoggingOptions Logging;
    TProcessingOptions Processing;
    QStringList ExcludedDirs;
};

// The process-wide options; owned by the main thread. Workers read only their job's copy.
extern TOptions GlobalOptions;

constexpr qint32 kOptionsFileVersion = 8;

// Fills GlobalOptions from options.obo in the application data folder; false when missing or bad.
bool LoadOptions();
// Writes GlobalOptions to options.obo (atomically, mode 0600: it may hold the configuration password).
bool SaveOptions();
// Fills GlobalOptions with the defaults and reads the excluded-folders list. RunProgramAtLogon is found
// by writing the autorun entry, unless `writeAutorun` is false (it is then left false).
void SetDefaultOptions(bool writeAutorun = true);

// The file-level halves, for tests and tools: parse and build the plain (unscrambled) content.
// ParseOptions throws std::runtime_error on a short or malformed content.
void ParseOptions(const QByteArray& plain, TOptions& options);
QByteArray SerializeOptions(const TOptions& options);

// Path of options.obo.
QString OptionsFilePath();

// Expands one excluded-folders line: "%NAME%rest" with NAME set in the environment becomes the
// value followed by the rest, lower-cased; lines without a whole "%NAME%" of a set variable are
// returned unchanged.
QString ExpandExcludedDirLine(const QString& line);
// Reads excluded-directories.txt beside the program (or `path`), expanding each line.
QStringList LoadExcludedDirsList(const QString& path);
