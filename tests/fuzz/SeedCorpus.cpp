// Writes the seed corpus of every fuzz target with the program's own writers:
//   fuzz-seed-corpus <folder>   (the tree keeps them in tests/fuzz/corpus)
// Each target's seeds go to <folder>/<target>/.
#include "engine/CatalogFile.h"
#include "engine/ChecksumFile.h"
#include "engine/FileStamp.h"
#include "imagetool/ImageWriter.h"
#include "imagetool/ToolConsole.h"
#include "imagetool/ToolResults.h"
#include "imagetool/VersionManifest.h"
#include "jobs/JobCatalogue.h"
#include "jobs/JobFiles.h"
#include "options/uOptions.h"
#include "platform/StandardFolders.h"
#include "support/FuzzSupport.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <zstd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {
QString corpus;

void seed(const char* target, const char* name, const QByteArray& content)
{
    const QString folder = corpus + '/' + QLatin1String(target);
    TestEnvironment::writeFile(folder + '/' + QLatin1String(name), content);
}

QByteArray readAll(const QString& path)
{
    const QByteArray content = TestEnvironment::readFile(path);
    Fuzz::Check(!content.isEmpty(), "cannot read a written file", path);
    return content;
}

void catalogs()
{
    const struct
    {
        const char* name;
        QStringList entries;
    } seeds[] = {
        {"empty.obl", {}},
        {"copied-files.obl", {"Docs/report.txt", "Docs/Zdjęcia/łąka.jpg", "notes.md"}},
        {"created-folders.obl", {"", "Docs", "Docs/Zdjęcia"}},
        {"removed-folders.obl", {"Docs/old/sub", "Docs/old"}},
        {"start-flag.obl", {"2024-06-30 21;05;00 (Full)"}},
    };
    const QString temp = Fuzz::Folder(QStringLiteral("seeds"));
    for (const auto& s : seeds) {
        Fuzz::Check(WriteCatalogFile(temp + "/catalog", s.entries), "cannot write a catalog");
        seed("fuzz_catalogs", s.name, readAll(temp + "/catalog"));
    }
}

void checksums()
{
    TChecksumTable table;
    table.entries.insert("Docs/report.txt", {5, ChunkDigest("hello", 5)});
    table.entries.insert("Docs/Zdjęcia/łąka.jpg", {0, ChunkDigest("", 0)});
    seed("fuzz_checksums", "two-files.obl", EncodeChecksums(table));
    seed("fuzz_checksums", "empty.obl", EncodeChecksumsHeader());
}

void fillFilesJob(TJob_FilesAndFolders& job, TBackupType type)
{
    job.Settings.Sources.List = {"/home/user/Docs", "/home/user/notes.md"};
    job.Settings.Sources.FilterType = ftExclude;
    job.Settings.Sources.Extensions = "*.tmp;*.bak";
    job.DestinationType = dtNetwork;
    job.DestinationPath = "//server/share/Backups";
    job.Destination_NetworkUsername = "user";
    job.Destination_NetworkPassword = "secret";
    job.Settings.Backup.BackupType = type;
    job.Settings.Backup.PerformFullBackup_EveryCopies = 3;
    job.Settings.Backup.NumberFullCopiesToKeep = 2;
    job.SchedulingSettings.SchedulingType = stDaysOfWeek;
    job.SchedulingSettings.DaysOfWeek[1] = true;
    job.SchedulingSettings.TimeTable = {"21:05:00"};
}

void jobFiles()
{
    const QStringList stamps = FormatStamps({StampFromMsecsSinceEpoch(1719774300000), kNoStamp});
    const struct
    {
        const char* name;
        TBackupType type;
        QStringList points;
    } seeds[] = {
        {"full.kxj", btFull, {"Full)", "2024-06-30 21;05;00 (Full)", "2024-07-01 21;05;00 (Full)"}},
        {"incremental.kxj",
         btInc,
         {"Incremental)", "2024-06-30 21;05;00 (Full)", "2024-07-01 21;05;00 (Incremental)"}},
        {"mirror.kxj", btSync, {"Syncronization)"}},
    };
    for (const auto& s : seeds) {
        TJob_FilesAndFolders job("Documents");
        fillFilesJob(job, s.type);
        TRemoteBookkeeping bookkeeping;
        bookkeeping.MainBackupList = s.points;
        bookkeeping.PreviousLocalFilesList = {"Docs/report.txt", "notes.md"};
        bookkeeping.PreviousLocalFilesTimeList = stamps;
        bookkeeping.PreviousLocalDirsList = {"", "Docs"};
        bookkeeping.SizeOfLastFullBackup = 123456789;
        seed("fuzz_remote_job_file", s.name, SerializeRemoteJobFile(job, bookkeeping));
    }
    TJob_DriveImage image("System image");
    image.Settings.SourceDrivesList = {"/", "/home"};
    image.Settings.NumberOfBackupVersionsToKeep = "3";
    image.DestinationPath = "/media/usb";
    seed("fuzz_remote_job_file", "drive-image.kxj", SerializeRemoteJobFile(image));

    TJob_FilesAndFolders local("Documents");
    fillFilesJob(local, btInc);
    local.LogList.append(QStringLiteral("2024-06-30 21;05;00"));
    local.BackupHistory.append(QStringLiteral("30.06.2024 21:05:00: Backup is finished."));
    seed("fuzz_configuration_files", "files-job.obd", SerializeLocalJobFile(local));
    seed("fuzz_configuration_files", "drive-image-job.obd", SerializeLocalJobFile(image));
    seed("fuzz_configuration_files", "options.obo", SerializeOptions(TOptions()));
}

void jobsLists()
{
    const QStringList lists[] = {
        {"Documents", "System image", "Photos 2024", "Zdjęcia ąę", "a..b"},
        {"Photos 2024", "Missing job", "Documents", "documents"},
    };
    QDir().mkpath(StandardFolders::applicationDataFolder());
    int n = 0;
    for (const QStringList& names : lists) {
        TJobCatalogue catalogue;
        for (const QString& name : names)
            catalogue.append(std::make_unique<TJob_FilesAndFolders>(name));
        Fuzz::Check(catalogue.SaveJobsList(), "cannot write a jobs list");
        seed("fuzz_jobs_list", QByteArray("jobslist-" + QByteArray::number(++n) + ".obl").constData(),
             readAll(JobsListFilePath()));
    }
}

void manifest()
{
    TVersionManifest manifest;
    manifest.Host = "host";
    manifest.Created = QDateTime(QDate(2024, 6, 30), QTime(19, 5), Qt::UTC);
    manifest.Tool = "zorvan-imagetool 1.0";
    for (const char* volume : {"vda1", "vda2"}) {
        TManifestImage image;
        image.Item = QStringLiteral("/dev/") + volume;
        image.Source = image.Item;
        image.Name = volume;
        image.File = QLatin1String(volume) + ".img";
        image.Size = 1u << 30;
        image.DataBytes = 1u << 20;
        image.StoredBytes = 1u << 19;
        image.Sha256 = QByteArray(32, '\x5a');
        manifest.Images.append(image);
    }
    seed("fuzz_image_manifest", "manifest.json", manifest.ToJson());
}

// The image file's header followed by its records, decompressed as the reader does.
QByteArray imageRecords(const QByteArray& volume)
{
    const QString path = Fuzz::Folder(QStringLiteral("seeds")) + "/volume.img";
    QFile::remove(path);
    TImageWriter writer;
    Fuzz::Check(writer.Open(path, quint64(volume.size()), 0), "cannot create an image");
    if (!volume.isEmpty()) {
        char* buffer = writer.NextBuffer();
        std::memcpy(buffer, volume.constData(), size_t(volume.size()));
        Fuzz::Check(writer.Submit(0, size_t(volume.size())), "cannot write an image");
    }
    Fuzz::Check(writer.Finish(), "cannot finish an image");
    const QByteArray file = readAll(path);
    QByteArray records = file.left(qsizetype(ImageFormat::kHeaderSize));
    std::unique_ptr<ZSTD_DStream, size_t (*)(ZSTD_DStream*)> stream(ZSTD_createDStream(), ZSTD_freeDStream);
    ZSTD_inBuffer in{file.constData(), size_t(file.size()), 0};
    std::vector<char> out(1 << 16);
    while (in.pos < in.size) {
        ZSTD_outBuffer chunk{out.data(), out.size(), 0};
        Fuzz::Check(!ZSTD_isError(ZSTD_decompressStream(stream.get(), &chunk, &in)), "cannot read an image");
        records.append(out.data(), qsizetype(chunk.pos));
    }
    return records;
}

void images()
{
    QByteArray volume(3 * ImageFormat::kBlockSize, '\0');
    volume.replace(0, 5, "first");
    volume.replace(2 * ImageFormat::kBlockSize + 7, 4, "last");
    seed("fuzz_image_records", "data-and-zeros.records", imageRecords(volume));
    seed("fuzz_image_records", "zeros.records", imageRecords(QByteArray(2 * ImageFormat::kBlockSize, '\0')));
    seed("fuzz_image_records", "empty.records", imageRecords(QByteArray()));
}

void toolOutput()
{
    // Two bytes in front choose where the reads end (see the target).
    const QByteArray reads("\x01\x07\x00", 3);
    QByteArray backup;
    TToolConsole console(&backup);
    console.Line("Retrieving volume information...");
    console.Line("Creating backup version 2024-06-30 21;05;00 on /media/usb.");
    for (int percent : {0, 42, 100})
        console.Progress("Volume /dev/vda1", "copied", percent);
    console.Line("The backup operation successfully completed.");
    seed("fuzz_image_tool_output", "backup.txt", reads + backup);

    QByteArray failed;
    TToolConsole failing(&failed);
    failing.Error("The volume /dev/sdz was not found.");
    failing.Line(ToolTexts::NoSpace("to start a new backup"));
    failing.Line(ToolTexts::Busy());
    failing.Line(ToolTexts::AccessDenied("back up volume /"));
    seed("fuzz_image_tool_output", "failed.txt", reads + failed);
}

void storagePaths()
{
    const char* paths[] = {"//server/share/Backups", "smb://host:445/share/Backups/",
                           "\\\\server\\share\\Backups", "//[::1]:4450/share", "/media/usb/Backups"};
    int n = 0;
    for (const char* path : paths)
        seed("fuzz_storage_paths", QByteArray("path-" + QByteArray::number(++n)).constData(), path);
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz-seed-corpus <folder>\n");
        return 64;
    }
    corpus = QString::fromLocal8Bit(argv[1]);
    Fuzz::PrivateFolder();
    catalogs();
    checksums();
    jobFiles();
    jobsLists();
    manifest();
    images();
    toolOutput();
    storagePaths();
    return 0;
}
