#pragma once
// The files a backup run records for the next run (its LocalFilesList), kept as the remote job file
// stores them: after the bytes that precede the list in that file, the count, then each path as its
// length and its UTF-16 units. The file is later written from this very buffer, so a run over a large
// tree never holds its paths twice: once here and once more in the file's image.
#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QStringView>

class TRecordedFileList
{
public:
    // Empties the list; `prefix` is what comes before the list in the remote job file.
    void reset(const QByteArray& prefix = QByteArray());
    void append(QStringView path);
    void removeLast();
    qsizetype size() const { return starts.size(); }
    bool isEmpty() const { return starts.isEmpty(); }
    // Valid until the list changes.
    QStringView at(qsizetype index) const;
    QStringList toStringList() const;
    QByteArrayView prefix() const { return QByteArrayView(bytes.constData(), prefixSize); }
    // Hands over the prefix, the count and the entries in the file's byte order (little-endian) and
    // leaves the list empty.
    QByteArray takeFileBytes();

private:
    QByteArray bytes; // prefix, count, then per path: length (qint32) and units, in host byte order
    qsizetype prefixSize = 0;
    QList<qsizetype> starts; // where each path's length field begins
};
