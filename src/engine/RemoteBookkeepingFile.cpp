#include "engine/RemoteBookkeepingFile.h"

#include "base/BinaryStream.h"
#include "base/encryptor.h"
#include "jobs/JobFiles.h"
#include "platform/AskingUser.h"

#include <QFile>
#include <QSaveFile>
#include <QSysInfo>
#include <QtEndian>

#include <cstring>

namespace {
// The header (version and kind) and the bookkeeping fields of a file with empty lists: four counts of 0
// and two sizes of 0. The settings follow them.
constexpr qsizetype kHeaderSize = 8;
constexpr qsizetype kEmptyBookkeepingSize = 4 * 4 + 2 * 8;
constexpr qsizetype kStampTextSize = 23;

uint8_t* bytes(QByteArray& buffer)
{
    return reinterpret_cast<uint8_t*>(buffer.data());
}

// Writes little-endian fields into a buffer sized in advance.
class TFieldWriter
{
public:
    explicit TFieldWriter(char* at) : at(at) {}
    void raw(const char* data, qsizetype size)
    {
        std::memcpy(at, data, size_t(size));
        at += size;
    }
    void int32(qint32 value)
    {
        qToLittleEndian(value, at);
        at += 4;
    }
    void int64(qint64 value)
    {
        qToLittleEndian(value, at);
        at += 8;
    }
    void units(const QChar* data, qsizetype count)
    {
        if constexpr (QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
            raw(reinterpret_cast<const char*>(data), count * 2);
        } else {
            for (qsizetype i = 0; i < count; ++i) {
                qToLittleEndian(data[i].unicode(), at);
                at += 2;
            }
        }
    }
    void string(const QString& value)
    {
        int32(qint32(value.size()));
        units(value.constData(), value.size());
    }
    void list(const QStringList& values)
    {
        int32(qint32(values.size()));
        for (const QString& value : values)
            string(value);
    }
    void stamps(const TStampList& values)
    {
        int32(qint32(values.size()));
        for (const TFileStamp stamp : values)
            string(FormatStamp(stamp));
    }
    char* position() const { return at; }

private:
    char* at;
};

qsizetype listSize(const QStringList& values)
{
    qsizetype size = 4;
    for (const QString& value : values)
        size += 4 + 2 * value.size();
    return size;
}

qsizetype stampsSize(const TStampList& values)
{
    qsizetype size = 4;
    for (const TFileStamp stamp : values)
        size += 4 + (stamp < 0 ? 0 : 2 * kStampTextSize);
    return size;
}
} // namespace

bool ReadRunBookkeeping(const QString& path, TRunBookkeeping& out)
{
    out = TRunBookkeeping();
    QFile file(path);
    if (!file.exists())
        return false;
    if (!file.open(QIODevice::ReadOnly))
        throw TJobFileError("cannot read the job file " + path.toStdString());
    QByteArray content(file.size(), Qt::Uninitialized);
    if (file.read(content.data(), content.size()) != content.size())
        throw TJobFileError("cannot read the job file " + path.toStdString());
    file.close();
    // Unscrambled in place: invert, then decipher (the cipher reads each byte before writing it).
    InvertStream(content);
    DecipherBuffer(bytes(content), size_t(content.size()), bytes(content), size_t(content.size()));
    try {
        TBinaryReader in(content);
        // Files older than version 4 have no kind field: the lists follow the version directly.
        if (in.readInt32() >= 4)
            in.readInt32();
        out.MainBackupList = in.readStringList();
        out.Files = in.readStringList();
        const qint32 stamps = in.readInt32();
        if (stamps > in.remaining() / 4)
            throw TBinaryReadError("list longer than the content");
        out.Stamps.reserve(size_t(qMax(stamps, 0)));
        for (qint32 i = 0; i < stamps; ++i)
            out.Stamps.push_back(ParseStamp(in.readString()));
        out.Dirs = in.readStringList();
        out.SizeOfLastFullBackup = in.readInt64();
        out.SizeOfAllIncrementsOrLastDifferentialCopy = in.readInt64();
    } catch (const TBinaryReadError& error) {
        out = TRunBookkeeping();
        throw TJobFileError("damaged job file " + path.toStdString() + ": " + error.what());
    }
    return true;
}

QByteArray RunBookkeepingPrefix(TJob_FilesAndFolders& job, const QStringList& mainBackupList)
{
    const QByteArray frame = SerializeRemoteJobFile(job, TRemoteBookkeeping());
    QByteArray prefix(kHeaderSize + listSize(mainBackupList), Qt::Uninitialized);
    TFieldWriter out(prefix.data());
    out.raw(frame.constData(), qMin(frame.size(), kHeaderSize));
    out.list(mainBackupList);
    return prefix;
}

bool WriteRunBookkeeping(const QString& path, TJob_FilesAndFolders& job, const TRunBookkeeping& in,
                         TRecordedFileList& files)
{
    // The job-file writer lays out the header and the settings; its file with empty lists gives both.
    const QByteArray frame = SerializeRemoteJobFile(job, TRemoteBookkeeping());
    const qsizetype settingsAt = kHeaderSize + kEmptyBookkeepingSize;
    if (frame.size() < settingsAt ||
        frame.mid(kHeaderSize, kEmptyBookkeepingSize) != QByteArray(kEmptyBookkeepingSize, '\0')) {
        TRemoteBookkeeping whole;
        whole.MainBackupList = in.MainBackupList;
        whole.PreviousLocalFilesList = files.toStringList();
        whole.PreviousLocalFilesTimeList = FormatStamps(in.Stamps);
        whole.PreviousLocalDirsList = in.Dirs;
        whole.SizeOfLastFullBackup = in.SizeOfLastFullBackup;
        whole.SizeOfAllIncrementsOrLastDifferentialCopy = in.SizeOfAllIncrementsOrLastDifferentialCopy;
        files.reset();
        job.SaveRemoteJobFile(path, whole);
        return QFile::exists(path);
    }
    const QByteArray prefix = RunBookkeepingPrefix(job, in.MainBackupList);
    if (files.prefix() != prefix) {
        // Started with another restore point list: the list's own bytes are kept, its prefix replaced.
        const QStringList paths = files.toStringList();
        files.reset(prefix);
        for (const QString& file : paths)
            files.append(file);
    }
    // The files list's buffer becomes the file's image: the rest is added behind it.
    QByteArray content = files.takeFileBytes();
    const qsizetype filesEnd = content.size();
    const qsizetype size =
        filesEnd + stampsSize(in.Stamps) + listSize(in.Dirs) + 16 + (frame.size() - settingsAt);
    content.resize(size);
    TFieldWriter out(content.data() + filesEnd);
    out.stamps(in.Stamps);
    out.list(in.Dirs);
    out.int64(in.SizeOfLastFullBackup);
    out.int64(in.SizeOfAllIncrementsOrLastDifferentialCopy);
    out.raw(frame.constData() + settingsAt, frame.size() - settingsAt);
    Q_ASSERT(out.position() == content.constData() + size);
    EncipherBuffer(bytes(content), size_t(size), bytes(content), size_t(size));
    InvertStream(content);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        file.write(content) != content.size() || !file.commit())
        return false;
    GiveToAskingUser(path);
    return true;
}
