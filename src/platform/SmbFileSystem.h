#pragma once
// The storage file system on SMB shares through libsmbclient. Paths are "//server[:port]/share/..."
// (or the other accepted network forms). Use it only on the thread that created its context.
#include "platform/FileSystem.h"

#include <functional>
#include <memory>
#include <utility>

class TSmbContext;
class TSmbHelper;

class TSmbFileSystem final : public TFileSystem
{
public:
    explicit TSmbFileSystem(std::shared_ptr<TSmbContext> context);
    ~TSmbFileSystem() override;

    bool isLocal() const override { return false; }
    int stat(const QString& path, TFileStat& out, bool followLinks = true) override;
    int list(const QString& folder, QList<TDirEntry>& out) override;
    int makeFolder(const QString& path) override;
    int removeFile(const QString& path) override;
    int removeFolder(const QString& path) override;
    int rename(const QString& from, const QString& to, bool replace) override;
    int setPermissions(const QString& path, quint32 mode) override;
    int setLastWriteTime(const QString& path, const timespec& when) override;
    int setLastWriteTimeLater(const QString& path, const timespec& when) override;
    void finishDeferred() override { settle(); }
    QList<TDeferredFailure> takeDeferredFailures() override { return std::exchange(failures, {}); }
    int openRead(const QString& path, std::unique_ptr<TFileHandle>& out,
                 const TOpenOptions& options) override;
    int openWrite(const QString& path, std::unique_ptr<TFileHandle>& out,
                  const TOpenOptions& options) override;
    QString volumeOf(const QString& path) override;

    const std::shared_ptr<TSmbContext>& context() const { return smb; }
    // Opens the server's list of shares (the path's share part is ignored): tells a refused logon
    // from a refused share. 0 or errno.
    int probeServer(const QString& path);
    // The helper program that holds the second session (default: the one beside this program). When
    // it cannot be started, this session does all the work.
    void setHelperProgram(const QString& program) { helperProgram = program; }

    // The second session writes every other chunk: two writes in flight instead of one. -1 when there
    // is no second session or `out` is not a file of this session. `cancelled` is asked before each
    // pair of chunks, `progress` told the bytes done after it.
    int copyLargeFile(int source, qint64 total, TFileHandle& out, const QString& target, qint64 chunkSize,
                      const std::function<bool()>& cancelled, const std::function<void(qint64)>& progress,
                      TContentChecksum* checksum) override;

private:
    int open(const QString& path, int flags, quint32 mode, std::unique_ptr<TFileHandle>& out);

    // Waits for the time being set on the second session; a failure is tried again on this one and
    // then recorded. settleFor() waits only when that time is the one of `url`.
    void settle();
    void settleFor(const QByteArray& url);

    std::shared_ptr<TSmbContext> smb;
    TSmbHelper* helperSession(); // started on first use; null when it cannot be had

    std::unique_ptr<TSmbHelper> helper;
    QString helperProgram;
    int laterRequests = 0;
    QString pendingPath; // empty: no time is being set
    QByteArray pendingUrl;
    timespec pendingTime{};
    QList<TDeferredFailure> failures;
};
