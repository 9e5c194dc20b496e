#pragma once
// The two ends of the time-setting service: a helper program (zorvan-smbtimes) that holds a second
// SMB session and sets last-write times for the program that started it, over a local socket.
// Messages, in this machine's byte order:
//   first:    quint32 user length, user (UTF-8), quint32 password length, password (UTF-8)
//   request:  quint32 url length, url, qint64 seconds, qint64 nanoseconds
//   reply:    qint32 errno (0 when the time is set)
#include <QByteArray>

#include <ctime>

namespace SmbTimeProtocol {

// Whole messages over a stream socket; false on an error or the end of the stream.
bool sendAll(int socket, const void* data, size_t size);
bool receiveAll(int socket, void* data, size_t size);
bool sendBlock(int socket, const QByteArray& block);
bool receiveBlock(int socket, QByteArray& block);

} // namespace SmbTimeProtocol

// Serves requests on `socket` until the other end closes it. Returns the program's exit code.
int RunSmbTimeService(int socket);
