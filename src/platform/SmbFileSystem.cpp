#include "platform/SmbFileSystem.h"

#include "platform/FileSystemLocal.h"
#include "platform/SmbContext.h"
#include "platform/SmbHelper.h"
#include "platform/SmbPath.h"

#include <libsmbclient.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>
#include <vector>

namespace {

int lastError()
{
    return errno != 0 ? errno : EIO;
}

// The url of a path, or an empty array for a path that names no share.
QByteArray urlOf(const QString& path)
{
    const TSmbPath parsed = ParseSmbPath(path);
    return parsed.isValid() ? parsed.toUrl() : QByteArray();
}

// SMB reports read-only as a missing write bit and maps other attributes onto execute bits; only
// the read-only state means something here.
void fileStatFromSmb(const struct stat& st, TFileStat& out)
{
    out.isFolder = S_ISDIR(st.st_mode);
    out.isRegular = S_ISREG(st.st_mode);
    out.isSymlink = false;
    out.size = st.st_size;
    out.lastWrite = st.st_mtim;
    const bool readOnly = (st.st_mode & 0222) == 0;
    out.mode = out.isFolder ? (readOnly ? 0555 : 0755) : (readOnly ? 0444 : 0644);
}

class TSmbFileHandle final : public TFileHandle
{
public:
    TSmbFileHandle(std::shared_ptr<TSmbContext> context, SMBCFILE* file) : smb(std::move(context)), file(file)
    {
        smb->fileOpened();
    }
    ~TSmbFileHandle() override { close(); }
    TSmbFileHandle(const TSmbFileHandle&) = delete;
    TSmbFileHandle& operator=(const TSmbFileHandle&) = delete;

    qint64 read(char* buffer, qint64 size) override
    {
        const std::lock_guard lock(SmbLibraryMutex());
        errno = 0;
        const ssize_t n = smbc_getFunctionRead(smb->handle())(smb->handle(), file, buffer, size_t(size));
        return n >= 0 ? n : -lastError();
    }

    qint64 write(const char* buffer, qint64 size) override
    {
        const std::lock_guard lock(SmbLibraryMutex());
        qint64 done = 0;
        while (done < size) {
            errno = 0;
            const ssize_t n =
                smbc_getFunctionWrite(smb->handle())(smb->handle(), file, buffer + done, size_t(size - done));
            if (n < 0)
                return -lastError();
            if (n == 0)
                return -EIO;
            done += n;
        }
        return done;
    }

    int seek(qint64 offset) override
    {
        const std::lock_guard lock(SmbLibraryMutex());
        errno = 0;
        return smbc_getFunctionLseek(smb->handle())(smb->handle(), file, off_t(offset), SEEK_SET) < 0
                   ? lastError()
                   : 0;
    }

    int close() override
    {
        if (!file)
            return 0;
        const std::lock_guard lock(SmbLibraryMutex());
        errno = 0;
        const int rc = smbc_getFunctionClose(smb->handle())(smb->handle(), file);
        const int error = rc == 0 ? 0 : lastError();
        file = nullptr;
        smb->fileClosed();
        return error;
    }

private:
    std::shared_ptr<TSmbContext> smb;
    SMBCFILE* file;
};

} // namespace

TSmbFileSystem::TSmbFileSystem(std::shared_ptr<TSmbContext> context) : smb(std::move(context)) {}

TSmbFileSystem::~TSmbFileSystem()
{
    settle();
}

void TSmbFileSystem::settle()
{
    if (pendingPath.isEmpty())
        return;
    const QString path = pendingPath;
    pendingPath.clear();
    if (helper->wait() == 0)
        return;
    // The second session failed (it may have lost its connection): this one tries once more.
    if (const int error = setLastWriteTime(path, pendingTime); error != 0)
        failures.append({path, error});
}

void TSmbFileSystem::settleFor(const QByteArray& url)
{
    if (!pendingPath.isEmpty() && pendingUrl == url)
        settle();
}

TSmbHelper* TSmbFileSystem::helperSession()
{
    if (!helper)
        helper = std::make_unique<TSmbHelper>(*smb, helperProgram);
    return helper->available() ? helper.get() : nullptr;
}

int TSmbFileSystem::copyLargeFile(int source, qint64 total, TFileHandle& out, const QString& target,
                                  qint64 chunkSize, const std::function<bool()>& cancelled,
                                  const std::function<void(qint64)>& progress, TContentChecksum* checksum)
{
    settle();
    const QByteArray url = urlOf(target);
    // Only a file of a share is written by offset (positioning it asks nothing of the server).
    // The helper hashes whole chunks of the checksum's size, so a checksum needs chunks of that size.
    const bool chunksFit = !checksum || chunkSize == kChecksumChunkSize;
    TSmbHelper* second = chunksFit && !url.isEmpty() && out.seek(0) == 0 ? helperSession() : nullptr;
    if (!second)
        return -1;
    // This session's chunk of the next pair is read while the helper still writes: the read is off
    // the path that both sessions wait on.
    std::vector<char> buffer(size_t(std::min(chunkSize, total)));
    // A file that became shorter since the copy began: what is there is written.
    const auto readChunk = [&](qint64 offset, qint64 length, qint64& read) {
        read = ReadFileAt(source, buffer.data(), length, offset);
        return read < 0 ? int(-read) : 0;
    };
    qint64 read = 0;
    int error = readChunk(0, std::min(chunkSize, total), read);
    qint64 done = 0;
    for (qint64 offset = 0; offset < total && error == 0; offset += 2 * chunkSize) {
        if (cancelled()) {
            error = ECANCELED;
            break;
        }
        // The helper takes the second chunk of the pair while this session writes the first.
        const qint64 helperOffset = offset + chunkSize;
        const qint64 helperLength = std::min(chunkSize, total - helperOffset);
        if (helperLength > 0 && !second->startWrite(url, source, helperOffset, helperLength))
            error = EPIPE;
        if (error == 0)
            error = out.seek(offset);
        if (error == 0) {
            const qint64 written = out.write(buffer.data(), read);
            if (written < 0)
                error = int(-written);
            else if (checksum)
                checksum->update(buffer.data(), size_t(read));
        }
        const qint64 pairDone = read + std::max<qint64>(helperLength, 0);
        const qint64 nextOffset = offset + 2 * chunkSize;
        if (error == 0 && nextOffset < total)
            error = readChunk(nextOffset, std::min(chunkSize, total - nextOffset), read);
        if (helperLength > 0) {
            const int helperError = second->wait();
            if (error == 0)
                error = helperError;
            // The helper's chunk follows this session's in the file (and in the checksum).
            if (error == 0 && checksum && second->lastWritten() > 0 &&
                !checksum->addChunk(second->lastWrittenDigest(), second->lastWritten()))
                error = EIO; // the source shrank inside this session's chunk and not the helper's
        }
        if (error == 0) {
            done += pairDone;
            progress(done);
        }
    }
    // The helper's handle goes before this session's, whatever happened.
    const int closeError = second->startClose() ? second->wait() : EPIPE;
    return error != 0 ? error : closeError;
}

int TSmbFileSystem::setLastWriteTimeLater(const QString& path, const timespec& when)
{
    settle();
    const QByteArray url = urlOf(path);
    if (url.isEmpty())
        return EINVAL;
    // The helper process pays off over many files: a file system used for one copy sets its time
    // itself.
    if (++laterRequests < 2)
        return setLastWriteTime(path, when);
    TSmbHelper* second = helperSession();
    if (!second || !second->startSetTime(url, when))
        return setLastWriteTime(path, when);
    pendingPath = path;
    pendingUrl = url;
    pendingTime = when;
    return 0;
}

int TSmbFileSystem::stat(const QString& path, TFileStat& out, bool)
{
    const std::lock_guard lock(SmbLibraryMutex());
    const QByteArray url = urlOf(path);
    if (url.isEmpty())
        return EINVAL;
    settleFor(url);
    struct stat st;
    errno = 0;
    if (smbc_getFunctionStat(smb->handle())(smb->handle(), url.constData(), &st) != 0)
        return lastError();
    fileStatFromSmb(st, out);
    return 0;
}

int TSmbFileSystem::list(const QString& folder, QList<TDirEntry>& out)
{
    const std::lock_guard lock(SmbLibraryMutex());
    settle();
    out.clear();
    const QByteArray url = urlOf(folder);
    if (url.isEmpty())
        return EINVAL;
    SMBCCTX* context = smb->handle();
    errno = 0;
    SMBCFILE* dir = smbc_getFunctionOpendir(context)(context, url.constData());
    if (!dir)
        return lastError();
    for (;;) {
        struct stat st;
        const libsmb_file_info* entry = smbc_getFunctionReaddirPlus2(context)(context, dir, &st);
        if (!entry)
            break;
        const QString name = QString::fromUtf8(entry->name);
        if (name == QStringLiteral(".") || name == QStringLiteral(".."))
            continue;
        if (!S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode))
            continue;
        TDirEntry item;
        item.name = name;
        fileStatFromSmb(st, item.stat);
        out.append(std::move(item));
    }
    smbc_getFunctionClosedir(context)(context, dir);
    return 0;
}

int TSmbFileSystem::makeFolder(const QString& path)
{
    const std::lock_guard lock(SmbLibraryMutex());
    const QByteArray url = urlOf(path);
    if (url.isEmpty())
        return EINVAL;
    errno = 0;
    return smbc_getFunctionMkdir(smb->handle())(smb->handle(), url.constData(), 0755) == 0 ? 0 : lastError();
}

int TSmbFileSystem::removeFile(const QString& path)
{
    const std::lock_guard lock(SmbLibraryMutex());
    settle();
    const QByteArray url = urlOf(path);
    if (url.isEmpty())
        return EINVAL;
    errno = 0;
    return smbc_getFunctionUnlink(smb->handle())(smb->handle(), url.constData()) == 0 ? 0 : lastError();
}

int TSmbFileSystem::removeFolder(const QString& path)
{
    const std::lock_guard lock(SmbLibraryMutex());
    settle();
    const QByteArray url = urlOf(path);
    if (url.isEmpty())
        return EINVAL;
    errno = 0;
    return smbc_getFunctionRmdir(smb->handle())(smb->handle(), url.constData()) == 0 ? 0 : lastError();
}

int TSmbFileSystem::rename(const QString& from, const QString& to, bool replace)
{
    const std::lock_guard lock(SmbLibraryMutex());
    settle();
    const TSmbPath source = ParseSmbPath(from);
    const TSmbPath target = ParseSmbPath(to);
    if (!source.isValid() || !target.isValid())
        return EINVAL;
    if (source.shareKey() != target.shareKey())
        return EXDEV;
    if (!replace) {
        TFileStat st;
        const int error = stat(to, st);
        if (error == 0)
            return EEXIST;
        if (error != ENOENT)
            return error;
    }
    SMBCCTX* context = smb->handle();
    errno = 0;
    const int rc = smbc_getFunctionRename(context)(context, source.toUrl().constData(), context,
                                                   target.toUrl().constData());
    return rc == 0 ? 0 : lastError();
}

int TSmbFileSystem::setPermissions(const QString& path, quint32 mode)
{
    const std::lock_guard lock(SmbLibraryMutex());
    settle();
    const QByteArray url = urlOf(path);
    if (url.isEmpty())
        return EINVAL;
    // Only the write bits carry over (as the read-only attribute); no execute bits, which the
    // library would turn into the archive, system and hidden attributes.
    errno = 0;
    const mode_t smbMode = (mode & 0222) ? 0644 : 0444;
    return smbc_getFunctionChmod(smb->handle())(smb->handle(), url.constData(), smbMode) == 0 ? 0
                                                                                              : lastError();
}

int TSmbFileSystem::setLastWriteTime(const QString& path, const timespec& when)
{
    const std::lock_guard lock(SmbLibraryMutex());
    const QByteArray url = urlOf(path);
    if (url.isEmpty())
        return EINVAL;
    settleFor(url);
    timeval times[2];
    times[1].tv_sec = when.tv_sec;
    times[1].tv_usec = when.tv_nsec / 1000;
    times[0] = times[1];
    errno = 0;
    return smbc_getFunctionUtimes(smb->handle())(smb->handle(), url.constData(), times) == 0 ? 0
                                                                                             : lastError();
}

int TSmbFileSystem::open(const QString& path, int flags, quint32 mode, std::unique_ptr<TFileHandle>& out)
{
    const std::lock_guard lock(SmbLibraryMutex());
    const QByteArray url = urlOf(path);
    if (url.isEmpty())
        return EINVAL;
    settleFor(url);
    errno = 0;
    SMBCFILE* file = smbc_getFunctionOpen(smb->handle())(smb->handle(), url.constData(), flags, mode_t(mode));
    if (!file)
        return lastError();
    out = std::make_unique<TSmbFileHandle>(smb, file);
    return 0;
}

int TSmbFileSystem::openRead(const QString& path, std::unique_ptr<TFileHandle>& out, const TOpenOptions&)
{
    return open(path, O_RDONLY, 0, out);
}

int TSmbFileSystem::openWrite(const QString& path, std::unique_ptr<TFileHandle>& out,
                              const TOpenOptions& options)
{
    return open(path, O_WRONLY | O_CREAT | (options.exclusive ? O_EXCL : O_TRUNC), options.mode, out);
}

int TSmbFileSystem::probeServer(const QString& path)
{
    const std::lock_guard lock(SmbLibraryMutex());
    TSmbPath server = ParseSmbPath(path);
    if (server.host.isEmpty())
        return EINVAL;
    server.share.clear();
    server.rest.clear();
    SMBCCTX* context = smb->handle();
    errno = 0;
    SMBCFILE* dir = smbc_getFunctionOpendir(context)(context, (server.toUrl() + '/').constData());
    if (!dir)
        return lastError();
    smbc_getFunctionClosedir(context)(context, dir);
    return 0;
}

QString TSmbFileSystem::volumeOf(const QString& path)
{
    return ParseSmbPath(path).shareKey();
}
