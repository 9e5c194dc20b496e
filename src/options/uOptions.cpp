#include "options/uOptions.h"

#include "base/BinaryStream.h"
#include "events/EventsLog.h"
#include "i18n/Translate.h"
#include "options/RunAtLogon.h"
#include "platform/AskingUser.h"
#include "platform/Autorun.h"
#include "platform/ConfigurationFile.h"
#include "platform/StandardFolders.h"
#include "platform/SystemLanguage.h"

#include <QFile>
#include <QProcessEnvironment>

TOptions GlobalOptions;

namespace {
// The lookup follows the global options' language from the start.
[[maybe_unused]] const bool kInterfaceLanguageInstalled =
    (InstallInterfaceLanguage(GlobalOptions.Language), true);
} // namespace

namespace {
// The temporary and log folders of the options in force belong to the user an elevated instance works
// for.
void addUserFolders(const TOptions& options)
{
    AddAskingUserFolder(options.General.PathForTempFiles);
    AddAskingUserFolder(options.Logging.PathForLogFiles);
}
} // namespace

QString OptionsFilePath()
{
    return StandardFolders::applicationDataFolder() + QStringLiteral("/options.obo");
}

void ParseOptions(const QByteArray& plain, TOptions& options)
{
    TBinaryReader in(plain);
    const qint32 version = in.readInt32();
    TGeneralOptions& general = options.General;
    TLoggingOptions& logging = options.Logging;
    TProcessingOptions& processing = options.Processing;

    options.Language.LanguageOfInterface = in.readString();
    general.RunProgramAtLogon = in.readBool();
    general.ProtectConfigurationbyPassword = in.readBool();
    general.BlockSleepModeifJobIsScheduled = version >= 8 ? in.readBool() : true;
    general.strProtectConfiguration_Password = in.readString();
    general.ProcessPriority = in.readInt32();
    general.PathForTempFiles = in.readString();
    logging.MaxNumberOfLogsForEachJob = in.readInt32();
    logging.MaxNumberOfLinesInHistory = in.readInt32();
    logging.MaxNumberOfLinesInEventsLog = in.readInt32();
    logging.DontLogCopyingInternalFiles = in.readBool();
    logging.PathForLogFiles = in.readString();
    processing.RunOnlyOneJobAtATime = in.readBool();
    processing.IfDestinationNotAvailable_Retry_Times = in.readInt32();
    processing.IfDestinationNotAvailable_Wait_Sec = in.readInt32();
    processing.IfDestinationNotAvailable_Then = version >= 6 ? in.readInt32() : 0;
    processing.RemovePreviousBackupIfCancelled = version >= 7 ? in.readBool() : true;
    processing.PreventOtherAppsFromWritingDuringZipping = in.readBool();
    processing.DontUseBufferingForCopyOperations = in.readBool();
    processing.SkipHiddenSystemFiles = in.readBool();
    processing.SkipLockedFiles = version >= 3 ? in.readBool() : false;
    if (version >= 5)
        options.ExcludedDirs.append(in.readStringList());
}

QByteArray SerializeOptions(const TOptions& options)
{
    TBinaryWriter out;
    const TGeneralOptions& general = options.General;
    const TLoggingOptions& logging = options.Logging;
    const TProcessingOptions& processing = options.Processing;
    out.writeInt32(kOptionsFileVersion);
    out.writeString(options.Language.LanguageOfInterface);
    out.writeBool(general.RunProgramAtLogon);
    out.writeBool(general.ProtectConfigurationbyPassword);
    out.writeBool(general.BlockSleepModeifJobIsScheduled);
    out.writeString(general.strProtectConfiguration_Password);
    out.writeInt32(general.ProcessPriority);
    out.writeString(general.PathForTempFiles);
    out.writeInt32(logging.MaxNumberOfLogsForEachJob);
    out.writeInt32(logging.MaxNumberOfLinesInHistory);
    out.writeInt32(logging.MaxNumberOfLinesInEventsLog);
    out.writeBool(logging.DontLogCopyingInternalFiles);
    out.writeString(logging.PathForLogFiles);
    out.writeBool(processing.RunOnlyOneJobAtATime);
    out.writeInt32(processing.IfDestinationNotAvailable_Retry_Times);
    out.writeInt32(processing.IfDestinationNotAvailable_Wait_Sec);
    out.writeInt32(processing.IfDestinationNotAvailable_Then);
    out.writeBool(processing.RemovePreviousBackupIfCancelled);
    out.writeBool(processing.PreventOtherAppsFromWritingDuringZipping);
    out.writeBool(processing.DontUseBufferingForCopyOperations);
    out.writeBool(processing.SkipHiddenSystemFiles);
    out.writeBool(processing.SkipLockedFiles);
    out.writeStringList(options.ExcludedDirs);
    return out.data();
}

bool LoadOptions()
{
    QByteArray plain;
    switch (ReadScrambledFile(OptionsFilePath(), plain)) {
    case TScrambledReadStatus::Missing:
        return false;
    case TScrambledReadStatus::ReadError:
        AddEvent(Translate(QStringLiteral("Error loading options. Code: 2")));
        return false;
    case TScrambledReadStatus::Ok:
        break;
    }
    try {
        ParseOptions(plain, GlobalOptions);
    } catch (const TBinaryReadError&) {
        AddEvent(Translate(QStringLiteral("Error loading options. Code: 1")));
        return false;
    }
    addUserFolders(GlobalOptions);
    return true;
}

bool SaveOptions()
{
    addUserFolders(GlobalOptions);
    return WriteScrambledFile(OptionsFilePath(), SerializeOptions(GlobalOptions));
}

QString ExpandExcludedDirLine(const QString& line)
{
    if (line.isEmpty())
        return line;
    // The name runs from the second character up to the next "%"; without that "%" there is no name.
    const qsizetype end = line.indexOf('%', 1);
    if (end < 0)
        return line;
    const QString name = line.mid(1, end - 1);
    if (name.isEmpty())
        return line;
    const QString value = QProcessEnvironment::systemEnvironment().value(name);
    if (value.isEmpty())
        return line;
    const QString token = '%' + name + '%';
    const qsizetype at = line.indexOf(token, 0, Qt::CaseInsensitive);
    // A line without the whole "%NAME%" stays exactly as read.
    if (at < 0)
        return line;
    QString expanded = line;
    expanded.replace(at, token.size(), value);
    return expanded.toLower();
}

QStringList LoadExcludedDirsList(const QString& path)
{
    QFile file(path);
    QStringList lines;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return lines;
    QString text = QString::fromUtf8(file.readAll());
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString& line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        line = ExpandExcludedDirLine(line);
    }
    return lines;
}

void SetDefaultOptions(bool writeAutorun)
{
    TOptions& o = GlobalOptions;
    o.Language.LanguageOfInterface = SystemLanguageCode();
    o.Language.iLanguage = 0;
    o.General.RunProgramAtLogon = writeAutorun && SetAutorun(true);
    o.General.BlockSleepModeifJobIsScheduled = true;
    o.General.ProtectConfigurationbyPassword = false;
    o.General.strProtectConfiguration_Password.clear();
    o.General.ProcessPriority = 1;
    // On disk in the user's cache, not under /tmp, which is often a memory file system too small for
    // large files. Options files keep whatever folder they hold.
    o.General.PathForTempFiles = StandardFolders::cacheFolder() + '/' +
                                 QStringLiteral(ZORVAN_APP_TITLE).remove(' ') + QStringLiteral("Tmp");
    o.Logging.MaxNumberOfLogsForEachJob = 20;
    o.Logging.MaxNumberOfLinesInHistory = 500;
    o.Logging.MaxNumberOfLinesInEventsLog = 50;
    o.Logging.DontLogCopyingInternalFiles = false;
    o.Logging.PathForLogFiles = StandardFolders::documentsFolder() + QStringLiteral("/" ZORVAN_APP_TITLE);
    o.Processing.RunOnlyOneJobAtATime = false;
    o.Processing.IfDestinationNotAvailable_Retry_Times = 5;
    o.Processing.IfDestinationNotAvailable_Wait_Sec = 60;
    o.Processing.IfDestinationNotAvailable_Then = 0;
    o.Processing.PreventOtherAppsFromWritingDuringZipping = false;
    o.Processing.RemovePreviousBackupIfCancelled = true;
    o.Processing.DontUseBufferingForCopyOperations = false;
    o.Processing.SkipHiddenSystemFiles = false;
    o.Processing.SkipLockedFiles = false;
    const QString seedList = StandardFolders::programFolder() + QStringLiteral("/excluded-directories.txt");
    o.ExcludedDirs = QFile::exists(seedList) ? LoadExcludedDirsList(seedList) : QStringList();
    addUserFolders(o);
}
