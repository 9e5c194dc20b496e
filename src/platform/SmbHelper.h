#pragma once
// The program's end of the second SMB session: starts the helper program (zorvan-smbhelper) and
// hands it one request at a time, which runs while this process goes on with its own session. Used
// by one thread.
#include "base/ContentChecksum.h"

#include <QByteArray>
#include <QString>

#include <ctime>
#include <sys/types.h>

class TSmbContext;

class TSmbHelper
{
public:
    // Starts `program` (default: zorvan-smbhelper beside this program) with the credentials of `owner`.
    explicit TSmbHelper(const TSmbContext& owner, const QString& program = QString());
    ~TSmbHelper();
    TSmbHelper(const TSmbHelper&) = delete;
    TSmbHelper& operator=(const TSmbHelper&) = delete;

    static QString defaultProgram();

    // False when the helper is not there (or has gone): the caller does the work itself.
    bool available() const { return socket >= 0; }

    // Each start returns false when the helper is not available or a request is still in flight.
    bool startSetTime(const QByteArray& url, const timespec& when);
    // Writes `length` bytes of the local file `fd` from `offset` at the same offset of `url` (opened
    // for writing on the first such request and kept open until startClose()).
    bool startWrite(const QByteArray& url, int fd, qint64 offset, qint64 length);
    bool startClose();
    // Waits for the request in flight: 0 or errno (0 when there is none; EPIPE when the helper went).
    int wait();
    // After the wait for a write: the bytes it wrote and their digest (see ChunkDigest).
    qint64 lastWritten() const { return writtenBytes; }
    const TChecksumDigest& lastWrittenDigest() const { return writtenDigest; }

private:
    bool startRequest(char kind, int fd, const QByteArray& url, const qint64 (&numbers)[2], bool withPayload);
    void stop();

    int socket = -1;
    pid_t child = -1;
    bool inFlight = false;
    char inFlightKind = 0;
    qint64 writtenBytes = 0;
    TChecksumDigest writtenDigest{};
};
