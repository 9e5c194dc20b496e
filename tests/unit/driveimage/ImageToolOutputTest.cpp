// The reading of the image tool's output: which lines are logged, counted, shown as progress or dropped.
#include "driveimage/ImageToolOutput.h"
#include "base/Clock.h"
#include "jobs/uJob_DriveImage.h"
#include "logs/RunLog.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

// The output of "zorvan-imagetool start backup" for two file-backed volumes as the tool wrote it.
const QByteArray kRecordedBackup =
    "zorvan-imagetool 1.0 - Backup command-line tool. Copyright (C) the Zorvan Backup developers.\n"
    "Retrieving volume information...\n"
    "Creating backup version 2026-03-09 07;05;02 on /media/usb.\n"
    "Creating a backup of volume /srv/volumes/disk a.img, copied (0%).\n"
    "Creating a backup of volume /srv/volumes/disk a.img, copied (50%).\n"
    "Creating a backup of volume /srv/volumes/disk a.img, copied (100%).\n"
    "The backup of volume /srv/volumes/disk a.img completed successfully.\n"
    "Creating a backup of volume /srv/volumes/b.img, copied (0%).\n"
    "Creating a backup of volume /srv/volumes/b.img, copied (37%).\n"
    "ERROR The volume /srv/volumes/b.img could not be read at byte 4194304: Input/output error.\n";

class ImageToolOutputTest : public ::testing::Test
{
protected:
    void SetUp() override { Clock::setTestTime(QDateTime(QDate(2026, 3, 9), QTime(7, 5, 2))); }
    void TearDown() override { Clock::resetTestTime(); }

    void feed(const QList<QByteArray>& chunks)
    {
        TImageToolOutputReader reader(job);
        for (const QByteArray& chunk : chunks)
            reader.HandleChunk(chunk);
        reader.Finish();
    }
    QStringList log() const { return job.LastJobResult.Log.snapshot(); }
    int errors() const { return job.LastJobResult.ErrorsCount; }

    TJob_DriveImage job{QStringLiteral("Image job")};
};

// Cuts `text` into reads of `size` bytes, as the pipe may hand them over.
QList<QByteArray> chunked(const QByteArray& text, qsizetype size)
{
    QList<QByteArray> chunks;
    for (qsizetype at = 0; at < text.size(); at += size)
        chunks.append(text.mid(at, size));
    return chunks;
}

TEST_F(ImageToolOutputTest, RecordedBackupOutputGivesProgressPlainLinesAndOneError)
{
    feed({kRecordedBackup});
    EXPECT_EQ(log(), QStringList({
                         "Retrieving volume information...",
                         "Creating backup version 2026-03-09 07;05;02 on /media/usb.",
                         "The backup of volume /srv/volumes/disk a.img completed successfully.",
                         RunLogLine("ERROR: The volume /srv/volumes/b.img could not be read at byte 4194304: "
                                    "Input/output error."),
                     }));
    EXPECT_EQ(errors(), 1);
    EXPECT_EQ(job.CurrentFileOperationProgress, 37);
    EXPECT_EQ(job.CurrentFileOperationPath.get(), "Creating a backup of volume /srv/volumes/b.img");
}

TEST_F(ImageToolOutputTest, EachKindOfLine)
{
    struct Case
    {
        const char* name;
        QByteArray line;
        QStringList logged; // with "@" in front: a time-stamped line
        int errors;
    };
    const QList<Case> cases = {
        {"plain", "Retrieving volume information...", {"Retrieving volume information..."}, 0},
        {"empty", "", {}, 0},
        {"banner", "zorvan-imagetool 1.0 - Backup command-line tool.", {}, 0},
        {"copyright", "Copyright (C) 2026", {}, 0},
        {"error", "ERROR The backup failed.", {"@ERROR: The backup failed."}, 1},
        {"every ERROR replaced", "ERROR one ERROR two", {"@ERROR: one ERROR: two"}, 1},
        {"lower-case error", "error: not a tool error", {"error: not a tool error"}, 0},
        {"mixed-case error", "No Error found, errors: 0", {"No Error found, errors: 0"}, 0},
        {"no space",
         "There is not enough free space on the backup storage location to complete the backup.",
         {"@ERROR:There is not enough free space on the backup storage location to complete the backup."},
         1},
        {"busy",
         "Another backup or recovery operation is in progress. Try again when it has finished.",
         {"@ERROR:Another backup or recovery operation is in progress. Try again when it has finished."},
         1},
        {"progress without percent sign", "Creating a backup of volume /v, copied (12).", {}, 0},
        {"progress not a number", "Creating a backup of volume /v, copied (twelve%).", {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        job.LastJobResult.Log.clear();
        job.LastJobResult.ErrorsCount = 0;
        feed({c.line + "\r\n"});
        QStringList expected;
        for (const QString& line : c.logged)
            expected.append(line.startsWith('@') ? RunLogLine(line.mid(1)) : line);
        EXPECT_EQ(log(), expected);
        EXPECT_EQ(errors(), c.errors);
        EXPECT_EQ(job.CurrentFileOperationProgress, 0);
    }
}

TEST_F(ImageToolOutputTest, ProgressLineSetsPercentAndOperationText)
{
    feed({"Creating a backup of volume /, copied (42%).\n"});
    EXPECT_EQ(job.CurrentFileOperationProgress, 42);
    EXPECT_EQ(job.CurrentFileOperationPath.get(), "Creating a backup of volume /");
    EXPECT_TRUE(log().isEmpty());

    // A value that is not a number leaves the last progress as it was.
    feed({"Creating a backup of volume /home, copied (4x%).\n"});
    EXPECT_EQ(job.CurrentFileOperationProgress, 42);
    EXPECT_EQ(job.CurrentFileOperationPath.get(), "Creating a backup of volume /");

    // The shown text is cut to 256 units.
    const QByteArray longName(400, 'v');
    feed({"Creating a backup of volume /" + longName + ", copied (7%).\n"});
    EXPECT_EQ(job.CurrentFileOperationProgress, 7);
    EXPECT_EQ(job.CurrentFileOperationPath.get().size(), 256);
}

TEST_F(ImageToolOutputTest, AccessDeniedGivesExactlyOneErrorAndDropsTheRestOfItsRead)
{
    feed({"zorvan-imagetool 1.0 - Backup command-line tool. Copyright (C) the developers.\n"
          "Retrieving volume information...\n"
          "Access denied. You must be a member of the \"disk\" group or run this tool as root to back up "
          "volume /dev/sda1.\n"
          "ERROR something else\n"});
    EXPECT_EQ(log(),
              QStringList{RunLogLine("ERROR: For system backup you must run the application as admin.")});
    EXPECT_EQ(errors(), 1);
}

TEST_F(ImageToolOutputTest, ChunkBoundariesNeverChangeTheResult)
{
    // Whatever the sizes of the reads, including one byte at a time and cuts inside "ERROR", inside a
    // percentage, inside a CR LF and inside damaged UTF-8, the result is that of the whole output at once.
    QByteArray output = kRecordedBackup;
    output.replace('\n', "\r\n");
    output += "Damaged \xe0\x8b\x90\x90\x93\xdf\x9e\x88 bytes\r\n";
    feed({output});
    const QStringList wholeLog = log();
    for (const qsizetype size : {1, 2, 7, 64, 199, 2400}) {
        SCOPED_TRACE(size);
        job.LastJobResult.Log.clear();
        job.LastJobResult.ErrorsCount = 0;
        job.CurrentFileOperationProgress = 0;
        feed(chunked(output, size));
        EXPECT_EQ(log(), wholeLog);
        EXPECT_EQ(errors(), 1);
        EXPECT_EQ(job.CurrentFileOperationProgress, 37);
    }
}

TEST_F(ImageToolOutputTest, CharacterCutByAReadAndLastLineWithoutLineEnd)
{
    const QByteArray line = QStringLiteral("Volume \u00e9t\u00e9 ready").toUtf8();
    const qsizetype cut = line.indexOf("\xc3\xa9") + 1; // inside the first two-byte character
    feed({line.left(cut), line.mid(cut)});
    EXPECT_EQ(log(), QStringList{QStringLiteral("Volume \u00e9t\u00e9 ready")});
}

} // namespace
