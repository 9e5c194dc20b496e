#pragma once
// The two ends of the second SMB session: a helper program (zorvan-smbhelper) that holds its own
// session (libsmbclient keeps process-wide state that two threads must not use at once) and works for
// the program that started it over a local socket, so that two requests can be in flight at a time.
// Messages, in this machine's byte order; every request gets one reply, a qint32 errno (0: done):
//   first:  block user (UTF-8), block password (UTF-8) — no reply
//   'T':    block url, qint64 seconds, qint64 nanoseconds       set the last-write time
//   'W':    block url, qint64 offset, qint64 length + a file     write that part of the passed file
//           descriptor (SCM_RIGHTS)                                at the same offset of url
//   'C':    —                                                  close the file 'W' opened
// A block is a quint32 length and that many bytes. The reply to 'W' goes on with a qint64, the bytes
// written, and the 16 bytes of their ChunkDigest.
#include <QByteArray>

namespace SmbHelperProtocol {

constexpr char kSetTime = 'T';
constexpr char kWrite = 'W';
constexpr char kClose = 'C';

// Whole messages over a stream socket; false on an error or the end of the stream.
bool sendAll(int socket, const void* data, size_t size);
bool receiveAll(int socket, void* data, size_t size);
bool sendBlock(int socket, const QByteArray& block);
bool receiveBlock(int socket, QByteArray& block);
// One byte with a file descriptor attached; the received descriptor is -1 when none came.
bool sendByteWithFile(int socket, char byte, int fd);
bool receiveByteWithFile(int socket, char& byte, int& fd);

} // namespace SmbHelperProtocol

// Serves requests on `socket` until the other end closes it. Returns the program's exit code.
int RunSmbHelperService(int socket);
