#include "support/FuzzSupport.h"

#include "events/EventsLog.h"
#include "jobs/JobPaths.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>

namespace Fuzz {

namespace {
bool isInside(const QString& path, const QString& folder)
{
    return path == folder || path.startsWith(folder + '/');
}

// True when something (a dangling link included) has that name.
bool isThere(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}
} // namespace

QString PrivateFolder()
{
    static const bool ready = [] {
        const QString memory = QStringLiteral("/dev/shm");
        TestEnvironment::setUpProcess(QFileInfo(memory).isWritable() ? memory + QStringLiteral("/zorvan-fuzz")
                                                                     : QString());
        return true;
    }();
    Q_UNUSED(ready);
    return TestEnvironment::root();
}

QString Folder(const QString& hint)
{
    PrivateFolder();
    return QFileInfo(TestEnvironment::makeFolder(hint)).canonicalFilePath();
}

QByteArray Bytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

void Check(bool holds, const char* what, const QString& detail)
{
    if (holds)
        return;
    std::fprintf(stderr, "Property broken: %s: %s\n", what, qPrintable(PrintableEntry(detail)));
    std::abort();
}

void DropEvents()
{
    EventsQueue().takeAll();
}

void CheckBackupSubfolder(const QString& subfolder)
{
    const QString backupRoot = QStringLiteral("/media/usb/Backups/Job");
    const QString folder = QDir::cleanPath(JoinPath(backupRoot, subfolder));
    Check(QFileInfo(folder).path() == backupRoot && folder != backupRoot,
          "a backup subfolder leads out of the backup folder", subfolder);
}

TOutputFolder::TOutputFolder() : root(Folder(QStringLiteral("output"))), output(root)
{
    const QString beside = Folder(QStringLiteral("beside"));
    QDir().mkpath(root + QStringLiteral("/folder"));
    TestEnvironment::writeFile(root + QStringLiteral("/file"), "content");
    TestEnvironment::writeFile(beside + QStringLiteral("/file"), "content");
    QFile::link(root + QStringLiteral("/folder"), root + QStringLiteral("/inside"));
    QFile::link(beside, root + QStringLiteral("/outside"));
    QFile::link(QStringLiteral("/"), root + QStringLiteral("/top"));
    QFile::link(root + QStringLiteral("/missing"), root + QStringLiteral("/nowhere"));
    Check(output.exists(), "the output folder is missing", root);
}

void TOutputFolder::CheckEntry(const QString& entry, bool mayBeTheFolderItself) const
{
    const std::optional<QString> relative = output.relativePathOf(entry, mayBeTheFolderItself);
    if (!relative)
        return;
    Check(mayBeTheFolderItself || !relative->isEmpty(), "an entry names the output folder itself", entry);
    Check(!relative->contains(QChar(0)), "an accepted entry holds a NUL", entry);
    // Where the restore writes it and where it reads it from on the storage.
    const QString joined = JoinPath(output.path(), *relative);
    Check(isInside(joined, root) && isInside(QDir::cleanPath(joined), root),
          "an accepted entry leads out of the output folder", entry);
    const QString storage = QStringLiteral("/media/usb/Backups/Job/2024-06-30 21;05;00 (Full)");
    Check(isInside(QDir::cleanPath(JoinPath(storage, *relative)), storage),
          "an accepted entry leads out of the backup folder", entry);
    // Whatever links lie on the way, the deepest existing part resolves to a place inside.
    QString deepest = root;
    for (const QString& part : relative->split('/')) {
        const QString next = deepest + '/' + part;
        if (!isThere(next))
            break;
        deepest = next;
    }
    const QString resolved = QFileInfo(deepest).canonicalFilePath();
    Check(!resolved.isEmpty() && isInside(resolved, root), "an accepted entry resolves outside", entry);
}

} // namespace Fuzz
