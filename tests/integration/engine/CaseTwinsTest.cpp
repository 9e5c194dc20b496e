// Source names that differ only in letter case, backed up to a storage that ignores case (the test
// smbd with Samba's default case handling, a FAT drive) and to one that does not: every run and every
// restore point must hand back only the content each name had, never a twin's.
#include "RestoreTestSupport.h"

#include "base/Clock.h"
#include "support/MissingFacility.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <map>
#include <unistd.h>

using namespace TestEnvironment;

namespace {

const QString kTwinWarning = QStringLiteral("whose names differ only in letter case");

// A small drive that ignores letter case in names: a vfat image mounted by the kernel or, where the
// kernel has no vfat, an exFAT image through FUSE.
class CaseBlindDrive
{
public:
    CaseBlindDrive() = default;
    CaseBlindDrive(const CaseBlindDrive&) = delete;
    CaseBlindDrive& operator=(const CaseBlindDrive&) = delete;
    ~CaseBlindDrive() { unmount(); }

    // False with the reason when no such drive can be mounted here.
    bool mount(const QString& folder, QString& why)
    {
        if (::geteuid() != 0) {
            why = "mounting needs root";
            return false;
        }
        const QString image = folder + "/drive.img";
        point = folder + "/mnt";
        QDir().mkpath(point);
        QFile file(image);
        if (!file.open(QIODevice::WriteOnly) || !file.resize(64 * 1024 * 1024)) {
            why = "cannot make the image file";
            return false;
        }
        file.close();
        if (run("mkfs.vfat", {image}) && run("mount", {"-t", "vfat", "-o", "loop", image, point}))
            return mounted = true;
        QString device;
        if (run("mkfs.exfat", {image}) && run("losetup", {"-f", "--show", image}, &device)) {
            loopDevice = device.trimmed();
            if (run("mount.exfat-fuse", {loopDevice, point}))
                return mounted = true;
        }
        why = "neither a vfat nor an exFAT image can be mounted here";
        return false;
    }

    QString mountPoint() const { return point; }

    void unmount()
    {
        if (mounted)
            run("umount", {point});
        mounted = false;
        if (!loopDevice.isEmpty())
            run("losetup", {"-d", loopDevice});
        loopDevice.clear();
    }

private:
    static bool run(const QString& program, const QStringList& arguments, QString* output = nullptr)
    {
        QProcess process;
        process.start(program, arguments);
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0)
            return false;
        if (output)
            *output = QString::fromLocal8Bit(process.readAllStandardOutput());
        return true;
    }

    QString point;
    QString loopDevice;
    bool mounted = false;
};

// Relative path to content; folders end with "/" and have no content.
using Tree = std::map<QString, QByteArray>;

Tree treeWithContent(const QString& folder)
{
    Tree tree;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString rel = path.mid(folder.size() + 1);
        if (it.fileInfo().isDir())
            tree[rel + '/'];
        else
            tree[rel] = readFile(path);
    }
    return tree;
}

enum class Storage
{
    Smb,
    FatDrive,
    CaseSensitiveFolder
};

using CaseTwinsParam = std::tuple<Storage, TBackupType>;

class CaseTwinsTest : public RestoreTest, public ::testing::WithParamInterface<CaseTwinsParam>
{
protected:
    void SetUp() override
    {
        RestoreTest::SetUp();
        const Storage storage = std::get<0>(GetParam());
        ZORVAN_SKIP_UNLESS(storage != Storage::Smb || useSmbDestination(),
                           "smbd cannot run here (needs root and samba)");
        if (storage == Storage::FatDrive) {
            QString why;
            const bool mounted = drive.mount(makeFolder("drive"), why);
            ZORVAN_SKIP_UNLESS(mounted, why.toStdString());
            destinationFolder = drive.mountPoint();
            job->DestinationPath = destinationFolder;
            QDir().mkpath(backupRoot());
        }
        caseBlind = storage != Storage::CaseSensitiveFolder;
        const TBackupType type = std::get<1>(GetParam());
        job->Settings.Backup.BackupType = type;
        job->NewSubfolderIsCreatedForEachBackup = type != btSync;
        job->Settings.Backup.PerformFullBackup_EveryCopies = 10;
        job->Settings.Backup.NumberFullCopiesToKeep = 0;
        GlobalOptions.Processing.SkipHiddenSystemFiles = false;
    }

    void TearDown() override
    {
        RestoreTest::TearDown();
        drive.unmount();
    }

    void write(const QString& relative, const QByteArray& content)
    {
        const QString path = sourceRoot + '/' + relative;
        writeFile(path, content);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        stamp = stamp.addSecs(60);
        ASSERT_TRUE(file.setFileTime(stamp, QFileDevice::FileModificationTime));
    }

    // Runs a backup, checks its twin warnings and remembers the sources it saw under its restore point.
    void backup(int expectedTwinWarnings)
    {
        runBackup();
        const std::string log = logLines().join('\n').toStdString();
        ASSERT_FALSE(job->LastJobResult.Cancelled) << log;
        ASSERT_EQ(job->LastJobResult.ErrorsCount, 0) << log;
        EXPECT_EQ(logCount(kTwinWarning), expectedTwinWarnings) << log;
        EXPECT_EQ(job->LastJobResult.WarningsCount, expectedTwinWarnings) << log;
        const TRemoteBookkeeping stored = storedBookkeeping();
        ASSERT_FALSE(stored.MainBackupList.isEmpty());
        points[stored.MainBackupList.size() - 1] = layoutOfSources();
    }

    // What a restore gives on a storage that keeps every name: each folder source under its name,
    // each file source by its name.
    Tree layoutOfSources() const
    {
        Tree layout;
        for (const QString& entry : job->Settings.Sources.List) {
            if (!entry.endsWith("/*")) {
                layout[QFileInfo(entry).fileName()] = readFile(entry);
                continue;
            }
            const QString name = QFileInfo(entry.chopped(2)).fileName();
            layout[name + '/'];
            for (const auto& [path, content] : treeWithContent(entry.chopped(2)))
                layout[name + '/' + path] = content;
        }
        return layout;
    }

    // A line warns about the twins `first` and `second` (below the source root), in either order.
    bool warnedAbout(const QString& first, const QString& second) const
    {
        const QString a = sourceRoot + '/' + first, b = sourceRoot + '/' + second;
        for (const QString& line : logLines()) {
            if (line.contains(kTwinWarning) &&
                (line.contains(a + " and " + b) || line.contains(b + " and " + a)))
                return true;
        }
        return false;
    }

    // Restores every point (the mirror: its one state) and compares it with the layout of its run:
    // each restored file has the content its own name had; of each twin group exactly one member
    // comes back on a storage that ignores case, all of them on one that does not.
    void restoreEveryPoint(const QList<QStringList>& twinGroups)
    {
        const bool mirror = job->Settings.Backup.BackupType == btSync;
        for (const auto& [number, sources] : points) {
            if (mirror && number != points.rbegin()->first)
                continue;
            SCOPED_TRACE("restore point " + std::to_string(number));
            ui.outputFolder = freshOutput();
            ui.point = mirror ? ScriptedRestoreUi::kLatest : qint32(number - 1);
            ASSERT_NO_FATAL_FAILURE(restore());
            ASSERT_FALSE(job->LastJobResult.Cancelled) << logLines().join('\n').toStdString();
            EXPECT_EQ(job->LastJobResult.ErrorsCount, 0) << logLines().join('\n').toStdString();
            const Tree restored = treeWithContent(ui.outputFolder);
            for (const auto& [path, content] : restored) {
                const auto source = sources.find(path);
                ASSERT_NE(source, sources.end()) << "unexpected: " << path.toStdString();
                EXPECT_EQ(content, source->second) << "wrong content: " << path.toStdString();
            }
            QStringList inGroups;
            for (const QStringList& group : twinGroups) {
                int present = 0;
                for (const QString& member : group) {
                    inGroups.append(member);
                    present +=
                        sources.count(member) && QFileInfo::exists(ui.outputFolder + '/' + member) ? 1 : 0;
                }
                qsizetype inSources = 0;
                for (const QString& member : group)
                    inSources += sources.count(member) ? 1 : 0;
                EXPECT_EQ(present, caseBlind ? std::min<qsizetype>(inSources, 1) : inSources)
                    << group.join(", ").toStdString();
            }
            for (const auto& [path, content] : sources) {
                const bool inTwin = std::any_of(inGroups.begin(), inGroups.end(), [&](const QString& m) {
                    return path == m || path.startsWith(m.endsWith('/') ? m : m + '/');
                });
                if (!inTwin) {
                    EXPECT_TRUE(restored.count(path)) << "missing: " << path.toStdString();
                }
            }
        }
    }

    CaseBlindDrive drive;
    bool caseBlind = true;
    QDateTime stamp = QDateTime(QDate(2022, 3, 1), QTime(9, 0, 0));
    std::map<qsizetype, Tree> points; // by the restore point's place in the list (1 = first)
};

TEST_P(CaseTwinsTest, OnlyOneOfEachTwinIsStoredAndEveryPointRestoresCorrectContent)
{
    job->Settings.Sources.List = {sourceRoot + "/Docs/*"};
    write("Docs/Same.txt", "upper 1");
    write("Docs/same.txt", "lower 1");
    write("Docs/Sub/a.txt", "in Sub 1");
    write("Docs/SUB/b.txt", "in SUB 1");
    write("Docs/other.txt", "other");
    ASSERT_NO_FATAL_FAILURE(backup(caseBlind ? 2 : 0));
    if (caseBlind) {
        EXPECT_TRUE(warnedAbout("Docs/Same.txt", "Docs/same.txt"));
        EXPECT_TRUE(warnedAbout("Docs/Sub", "Docs/SUB"));
    }

    // Both twins change: the one kept is brought up to date, the other still stays out.
    write("Docs/Same.txt", "upper 2");
    write("Docs/same.txt", "lower 2");
    write("Docs/Sub/a.txt", "in Sub 2");
    write("Docs/SUB/b.txt", "in SUB 2");
    ASSERT_NO_FATAL_FAILURE(backup(caseBlind ? 2 : 0));

    // The pairs are broken up and a file and a folder are renamed by case alone: a mirror must not
    // delete the stored item that now holds the new name.
    ASSERT_TRUE(QFile::remove(sourceRoot + "/Docs/same.txt"));
    ASSERT_TRUE(QDir(sourceRoot + "/Docs/SUB").removeRecursively());
    ASSERT_TRUE(QFile::rename(sourceRoot + "/Docs/other.txt", sourceRoot + "/Docs/OTHER.txt"));
    ASSERT_TRUE(QDir().rename(sourceRoot + "/Docs/Sub", sourceRoot + "/Docs/sub"));
    ASSERT_NO_FATAL_FAILURE(backup(0));

    restoreEveryPoint({{"Docs/Same.txt", "Docs/same.txt"}, {"Docs/Sub/", "Docs/SUB/"}});
}

TEST_P(CaseTwinsTest, SourcesWhoseNamesDifferOnlyInCaseMeetInTheTargetFolder)
{
    job->Settings.Sources.List = {sourceRoot + "/one/Data/*", sourceRoot + "/two/data/*",
                                  sourceRoot + "/three/Notes.txt", sourceRoot + "/four/notes.txt"};
    write("one/Data/x.txt", "x");
    write("two/data/y.txt", "y");
    write("three/Notes.txt", "upper");
    write("four/notes.txt", "lower");
    ASSERT_NO_FATAL_FAILURE(backup(caseBlind ? 2 : 0));
    if (caseBlind) {
        EXPECT_TRUE(warnedAbout("one/Data", "two/data"));
        EXPECT_TRUE(warnedAbout("three/Notes.txt", "four/notes.txt"));
    }
    restoreEveryPoint({{"Data/", "data/"}, {"Notes.txt", "notes.txt"}});
}

std::string caseTwinsName(const ::testing::TestParamInfo<CaseTwinsParam>& info)
{
    static const char* const storages[] = {"Smb", "FatDrive", "CaseSensitiveFolder"};
    static const char* const types[] = {"Mirror", "Full", "Incremental"};
    return std::string(storages[int(std::get<0>(info.param))]) + types[int(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(StoragesAndTypes, CaseTwinsTest,
                         ::testing::Combine(::testing::Values(Storage::Smb, Storage::FatDrive,
                                                              Storage::CaseSensitiveFolder),
                                            ::testing::Values(btSync, btFull, btInc)),
                         caseTwinsName);

} // namespace
