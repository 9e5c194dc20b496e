#pragma once
// The tool's command lines, e.g.
//   start backup -backupTarget:<target> -include:<vol>[,<vol>...] [-allCritical] [-quiet] [-user:U
//   -password:P] stop job [-quiet] delete backup -backupTarget:<target> -keepVersions:<N> [-quiet] start
//   recovery -version:<version> -items:<vol> -backupTarget:<target> -recoveryTarget:<device or file>
//   [-machine:<computer>] [-quiet]  get versions -backupTarget:<target> [-machine:<computer>]
// Command words and option names are case-insensitive; option values may be quoted.
#include <QString>
#include <QStringList>

enum class TToolVerb
{
    tvHelp,
    tvStartBackup,
    tvStopJob,
    tvDeleteBackup,
    tvStartRecovery,
    tvGetVersions
};

struct TImageToolCommand
{
    TToolVerb Verb = TToolVerb::tvHelp;
    QString BackupTarget;
    QStringList Include;
    bool AllCritical = false;
    bool Quiet = false;
    QString User;
    QString Password; // -password:, or the environment variable ZORVAN_IMAGETOOL_PASSWORD
    int KeepVersions = -1;
    QString Version;
    QString Items;
    QString RecoveryTarget;
    // The computer whose versions are read; empty: this one. A system started from other media has
    // another name than the computer that made the backups.
    QString Machine;
};

struct TCommandParseResult
{
    TImageToolCommand Command;
    QString Error; // empty when the command line is valid
};

// `environmentPassword` is the value of ZORVAN_IMAGETOOL_PASSWORD, used when -password: is absent.
TCommandParseResult ParseImageToolCommand(const QStringList& arguments, const QString& environmentPassword);

// True for a network share path (//server/share, \\server\share, smb://server/share).
bool IsNetworkTarget(const QString& target);
