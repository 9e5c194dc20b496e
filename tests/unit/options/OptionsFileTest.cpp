// The options file: the layouts of versions 2 to 8 built by hand, round trips, and damaged files.
#include "base/encryptor.h"
#include "events/EventsLog.h"
#include "options/uOptions.h"
#include "platform/ConfigurationFile.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

#include <ostream>

// Readable QString values in test failures.
inline void PrintTo(const QString& value, std::ostream* out)
{
    *out << '"' << value.toStdString() << '"';
}

namespace {

// Little-endian fields appended by hand, independent of the program's writer.
class PlainBytes
{
public:
    PlainBytes& i32(qint32 value)
    {
        for (int shift = 0; shift < 32; shift += 8)
            data.append(char((quint32(value) >> shift) & 0xFF));
        return *this;
    }
    PlainBytes& byte(quint8 value)
    {
        data.append(char(value));
        return *this;
    }
    PlainBytes& str(const QString& value)
    {
        i32(qint32(value.size()));
        for (QChar unit : value)
            data.append(char(unit.unicode() & 0xFF)).append(char(unit.unicode() >> 8));
        return *this;
    }
    PlainBytes& raw(const QByteArray& bytes)
    {
        data.append(bytes);
        return *this;
    }
    const QByteArray& bytes() const { return data; }

private:
    QByteArray data;
};

// An options file of `version` whose fields all differ from the defaults that absent fields take.
QByteArray handBuiltOptions(qint32 version)
{
    PlainBytes b;
    b.i32(version).str("de").byte(7 /* any nonzero byte is true */).byte(1);
    if (version >= 8)
        b.byte(0); // BlockSleepModeifJobIsScheduled
    b.str(QString::fromUtf8("geheim ä")).i32(2).str("/var/tmp/zb");
    b.i32(33).i32(444).i32(55).byte(1).str("/home/ann/Logs");
    b.byte(1).i32(6).i32(120);
    if (version >= 6)
        b.i32(1); // IfDestinationNotAvailable_Then
    if (version >= 7)
        b.byte(0); // RemovePreviousBackupIfCancelled
    b.byte(1).byte(1).byte(1);
    if (version >= 3)
        b.byte(1); // SkipLockedFiles
    if (version >= 5)
        b.i32(2).str("/proc").str("/home/ann/.cache");
    return b.bytes();
}

QStringList takeEvents()
{
    QStringList texts;
    for (const QString& line : EventsQueue().takeAll())
        texts.append(line.mid(line.indexOf(QStringLiteral(": ")) + 2));
    return texts;
}

// Options that differ from a default-constructed record in every stored field.
TOptions filledOptions()
{
    TOptions o;
    o.Language.LanguageOfInterface = "fr";
    o.General.RunProgramAtLogon = true;
    o.General.BlockSleepModeifJobIsScheduled = true;
    o.General.ProtectConfigurationbyPassword = true;
    o.General.strProtectConfiguration_Password = QString::fromUtf8("mot de passe 🔑");
    o.General.ProcessPriority = 3;
    o.General.PathForTempFiles = "/tmp/ZorvanBackupTmp"; // the default of earlier versions stays as stored
    o.Logging.MaxNumberOfLogsForEachJob = 20;
    o.Logging.MaxNumberOfLinesInHistory = 500;
    o.Logging.MaxNumberOfLinesInEventsLog = -50;
    o.Logging.DontLogCopyingInternalFiles = true;
    o.Logging.PathForLogFiles = "/home/ann/Documents/Zorvan Backup";
    o.Processing.RunOnlyOneJobAtATime = true;
    o.Processing.IfDestinationNotAvailable_Retry_Times = 5;
    o.Processing.IfDestinationNotAvailable_Wait_Sec = 60;
    o.Processing.IfDestinationNotAvailable_Then = 1;
    o.Processing.PreventOtherAppsFromWritingDuringZipping = true;
    o.Processing.RemovePreviousBackupIfCancelled = true;
    o.Processing.DontUseBufferingForCopyOperations = true;
    o.Processing.SkipHiddenSystemFiles = true;
    o.Processing.SkipLockedFiles = true;
    o.ExcludedDirs = {"/proc", "/sys", QString()};
    return o;
}

void expectSameStoredOptions(const TOptions& expected, const TOptions& actual)
{
    EXPECT_EQ(actual.Language.LanguageOfInterface, expected.Language.LanguageOfInterface);
    EXPECT_EQ(actual.General.RunProgramAtLogon, expected.General.RunProgramAtLogon);
    EXPECT_EQ(actual.General.BlockSleepModeifJobIsScheduled, expected.General.BlockSleepModeifJobIsScheduled);
    EXPECT_EQ(actual.General.ProtectConfigurationbyPassword, expected.General.ProtectConfigurationbyPassword);
    EXPECT_EQ(actual.General.strProtectConfiguration_Password,
              expected.General.strProtectConfiguration_Password);
    EXPECT_EQ(actual.General.ProcessPriority, expected.General.ProcessPriority);
    EXPECT_EQ(actual.General.PathForTempFiles, expected.General.PathForTempFiles);
    EXPECT_EQ(actual.Logging.MaxNumberOfLogsForEachJob, expected.Logging.MaxNumberOfLogsForEachJob);
    EXPECT_EQ(actual.Logging.MaxNumberOfLinesInHistory, expected.Logging.MaxNumberOfLinesInHistory);
    EXPECT_EQ(actual.Logging.MaxNumberOfLinesInEventsLog, expected.Logging.MaxNumberOfLinesInEventsLog);
    EXPECT_EQ(actual.Logging.DontLogCopyingInternalFiles, expected.Logging.DontLogCopyingInternalFiles);
    EXPECT_EQ(actual.Logging.PathForLogFiles, expected.Logging.PathForLogFiles);
    const TProcessingOptions& e = expected.Processing;
    const TProcessingOptions& a = actual.Processing;
    EXPECT_EQ(a.RunOnlyOneJobAtATime, e.RunOnlyOneJobAtATime);
    EXPECT_EQ(a.IfDestinationNotAvailable_Retry_Times, e.IfDestinationNotAvailable_Retry_Times);
    EXPECT_EQ(a.IfDestinationNotAvailable_Wait_Sec, e.IfDestinationNotAvailable_Wait_Sec);
    EXPECT_EQ(a.IfDestinationNotAvailable_Then, e.IfDestinationNotAvailable_Then);
    EXPECT_EQ(a.PreventOtherAppsFromWritingDuringZipping, e.PreventOtherAppsFromWritingDuringZipping);
    EXPECT_EQ(a.RemovePreviousBackupIfCancelled, e.RemovePreviousBackupIfCancelled);
    EXPECT_EQ(a.DontUseBufferingForCopyOperations, e.DontUseBufferingForCopyOperations);
    EXPECT_EQ(a.SkipHiddenSystemFiles, e.SkipHiddenSystemFiles);
    EXPECT_EQ(a.SkipLockedFiles, e.SkipLockedFiles);
    EXPECT_EQ(actual.ExcludedDirs, expected.ExcludedDirs);
}

class OptionsFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        saved = GlobalOptions;
        GlobalOptions = TOptions();
        QDir().mkpath(QFileInfo(OptionsFilePath()).absolutePath());
        QFile::remove(OptionsFilePath());
        takeEvents();
    }
    void TearDown() override
    {
        QFileInfo info(OptionsFilePath());
        if (info.isDir())
            QDir(info.filePath()).removeRecursively();
        else
            QFile::remove(OptionsFilePath());
        GlobalOptions = saved;
        takeEvents();
    }
    static void writeOptionsFile(const QByteArray& plain)
    {
        TestEnvironment::writeFile(OptionsFilePath(), ScrambleConfiguration(plain));
    }

    TOptions saved;
};

TEST_F(OptionsFile, EveryVersionFromTwoToEightReadsItsFieldsAndDefaultsTheRest)
{
    for (qint32 version = 2; version <= 8; ++version) {
        SCOPED_TRACE(version);
        GlobalOptions = TOptions();
        // Values that the absent fields must overwrite with their defaults.
        GlobalOptions.General.BlockSleepModeifJobIsScheduled = false;
        GlobalOptions.Processing.IfDestinationNotAvailable_Then = 7;
        GlobalOptions.Processing.RemovePreviousBackupIfCancelled = false;
        GlobalOptions.Processing.SkipLockedFiles = true;
        writeOptionsFile(handBuiltOptions(version));
        ASSERT_TRUE(LoadOptions());
        EXPECT_EQ(takeEvents(), QStringList());

        const TOptions& o = GlobalOptions;
        EXPECT_EQ(o.Language.LanguageOfInterface, "de");
        EXPECT_TRUE(o.General.RunProgramAtLogon);
        EXPECT_TRUE(o.General.ProtectConfigurationbyPassword);
        // Version 7 and older have no byte for it: the next byte starts the password's count.
        EXPECT_EQ(o.General.BlockSleepModeifJobIsScheduled, version < 8);
        EXPECT_EQ(o.General.strProtectConfiguration_Password, QString::fromUtf8("geheim ä"));
        EXPECT_EQ(o.General.ProcessPriority, 2);
        EXPECT_EQ(o.General.PathForTempFiles, "/var/tmp/zb");
        EXPECT_EQ(o.Logging.MaxNumberOfLogsForEachJob, 33);
        EXPECT_EQ(o.Logging.MaxNumberOfLinesInHistory, 444);
        EXPECT_EQ(o.Logging.MaxNumberOfLinesInEventsLog, 55);
        EXPECT_TRUE(o.Logging.DontLogCopyingInternalFiles);
        EXPECT_EQ(o.Logging.PathForLogFiles, "/home/ann/Logs");
        EXPECT_TRUE(o.Processing.RunOnlyOneJobAtATime);
        EXPECT_EQ(o.Processing.IfDestinationNotAvailable_Retry_Times, 6);
        EXPECT_EQ(o.Processing.IfDestinationNotAvailable_Wait_Sec, 120);
        EXPECT_EQ(o.Processing.IfDestinationNotAvailable_Then, version >= 6 ? 1 : 0);
        EXPECT_EQ(o.Processing.RemovePreviousBackupIfCancelled, version < 7);
        EXPECT_TRUE(o.Processing.PreventOtherAppsFromWritingDuringZipping);
        EXPECT_TRUE(o.Processing.DontUseBufferingForCopyOperations);
        EXPECT_TRUE(o.Processing.SkipHiddenSystemFiles);
        EXPECT_EQ(o.Processing.SkipLockedFiles, version >= 3);
        EXPECT_EQ(o.ExcludedDirs, version >= 5 ? QStringList({"/proc", "/home/ann/.cache"}) : QStringList());
    }
}

TEST_F(OptionsFile, SaveThenLoadKeepsEveryStoredField)
{
    const TOptions filled = filledOptions();
    TOptions parsed;
    ParseOptions(SerializeOptions(filled), parsed);
    expectSameStoredOptions(filled, parsed);

    GlobalOptions = filled;
    GlobalOptions.Language.iLanguage = 4;
    ASSERT_TRUE(SaveOptions());
    struct stat info
    {
    };
    ASSERT_EQ(stat(QFile::encodeName(OptionsFilePath()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_EQ(ScrambleConfiguration(SerializeOptions(filled)), TestEnvironment::readFile(OptionsFilePath()));
    // The version written is 8.
    EXPECT_EQ(SerializeOptions(filled).left(4), QByteArray::fromHex("08000000"));

    GlobalOptions = TOptions();
    ASSERT_TRUE(LoadOptions());
    expectSameStoredOptions(filled, GlobalOptions);
    // The language index is not stored.
    EXPECT_EQ(GlobalOptions.Language.iLanguage, 0);
    EXPECT_EQ(takeEvents(), QStringList());
}

TEST_F(OptionsFile, ExcludedFoldersAreAppendedToTheExistingList)
{
    writeOptionsFile(handBuiltOptions(8));
    GlobalOptions.ExcludedDirs = {"/already"};
    ASSERT_TRUE(LoadOptions());
    EXPECT_EQ(GlobalOptions.ExcludedDirs, QStringList({"/already", "/proc", "/home/ann/.cache"}));
}

TEST_F(OptionsFile, BytesAfterTheLastFieldAreIgnored)
{
    for (qint32 version : {2, 7, 8}) {
        SCOPED_TRACE(version);
        GlobalOptions = TOptions();
        writeOptionsFile(handBuiltOptions(version) + handBuiltOptions(8) + QByteArray(100, '\xFF'));
        ASSERT_TRUE(LoadOptions());
        EXPECT_EQ(GlobalOptions.General.PathForTempFiles, "/var/tmp/zb");
        EXPECT_EQ(GlobalOptions.Processing.SkipLockedFiles, version >= 3);
    }
    EXPECT_EQ(takeEvents(), QStringList());
}

TEST_F(OptionsFile, EveryTruncationOfAValidFileIsCodeOne)
{
    for (const QByteArray& plain : {handBuiltOptions(8), SerializeOptions(filledOptions())}) {
        const QByteArray scrambled = ScrambleConfiguration(plain);
        for (qsizetype length = 0; length < scrambled.size(); ++length) {
            SCOPED_TRACE(length);
            TestEnvironment::writeFile(OptionsFilePath(), scrambled.left(length));
            GlobalOptions = TOptions();
            ASSERT_FALSE(LoadOptions());
            ASSERT_EQ(takeEvents(), QStringList{"Error loading options. Code: 1"});
        }
    }
}

TEST_F(OptionsFile, DamagedAndMissingFiles)
{
    PlainBytes hugeString;
    hugeString.i32(8).i32(0x7FFFFFFF);
    PlainBytes hugeList;
    hugeList.raw(handBuiltOptions(8).chopped(4 + 10 + 4 + 32 + 4)).i32(0x7FFFFFFF);
    const struct
    {
        const char* name;
        bool write;
        QByteArray plain;
        QStringList events;
    } cases[] = {
        {"missing", false, {}, {}},
        {"empty", true, {}, {"Error loading options. Code: 1"}},
        {"three bytes", true, QByteArray("\x08\x00\x00", 3), {"Error loading options. Code: 1"}},
        {"version only", true, PlainBytes().i32(8).bytes(), {"Error loading options. Code: 1"}},
        {"huge string count", true, hugeString.bytes(), {"Error loading options. Code: 1"}},
        {"huge excluded folders count", true, hugeList.bytes(), {"Error loading options. Code: 1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(OptionsFilePath());
        if (c.write)
            writeOptionsFile(c.plain);
        GlobalOptions = TOptions();
        EXPECT_FALSE(LoadOptions());
        EXPECT_EQ(takeEvents(), c.events);
    }
    SCOPED_TRACE("a folder in its place");
    QFile::remove(OptionsFilePath());
    ASSERT_TRUE(QDir().mkpath(OptionsFilePath()));
    EXPECT_FALSE(LoadOptions());
    EXPECT_EQ(takeEvents(), QStringList{"Error loading options. Code: 2"});
    EXPECT_FALSE(SaveOptions());
    EXPECT_EQ(takeEvents(), QStringList());
}

} // namespace
