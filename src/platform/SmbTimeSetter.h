#pragma once
// Sets last-write times on SMB shares through a helper process (zorvan-smbtimes) that holds a second
// session, so that the requests that set the time of one copied file overlap the copy of the next
// one. libsmbclient keeps process-wide state that two threads must not use at once, hence a process.
// One request is in flight at a time. Used by one thread.
#include <QByteArray>
#include <QString>

#include <ctime>
#include <sys/types.h>

class TSmbContext;

class TSmbTimeSetter
{
public:
    // Starts `program` (default: zorvan-smbtimes beside this program) with the credentials of `owner`.
    explicit TSmbTimeSetter(const TSmbContext& owner, const QString& program = QString());
    ~TSmbTimeSetter();
    TSmbTimeSetter(const TSmbTimeSetter&) = delete;
    TSmbTimeSetter& operator=(const TSmbTimeSetter&) = delete;

    static QString defaultProgram();

    // Starts setting the last-write time of `url`. False when the helper is not there (or has gone)
    // or a request is still in flight: the caller then sets the time itself.
    bool start(const QByteArray& url, const timespec& when);
    // Waits for the request in flight: 0 or errno (0 when there is none; EPIPE when the helper went).
    int wait();

private:
    void stop();

    int socket = -1;
    pid_t child = -1;
    bool inFlight = false;
};
