#pragma once
// A string list that a job's worker writes while the main thread reads it (run log, history, log
// list). Every access takes a small lock; readers work on a copy.
//
// The lines are kept as UTF-8, back to back in one buffer, with the end offset of each: a run log of
// a hundred thousand "Copying the file:" lines then costs their UTF-8 bytes and eight bytes a line,
// not a UTF-16 string with its own allocation per line. Lines may hold any text, line breaks included.
#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QStringList>

class QIODevice;

class TSharedStringList
{
public:
    TSharedStringList() = default;
    TSharedStringList(const TSharedStringList&) = delete;
    TSharedStringList& operator=(const TSharedStringList&) = delete;

    QStringList snapshot() const;
    // The lines from `from` to the end: a reader that wants the end of a long log copies only that.
    QStringList mid(qsizetype from) const;
    // The index of the last line equal to `line`; -1 when there is none.
    qsizetype lastIndexOf(const QString& line) const;
    void assign(const QStringList& lines);
    void append(const QString& line);
    void append(const QStringList& lines);
    void clear();
    qsizetype size() const;
    bool isEmpty() const { return size() == 0; }
    QString at(qsizetype index) const; // empty when out of range
    QString last() const;              // empty when the list is empty
    // Appends `text` to the last line, or adds it as a line when the list is empty.
    void appendToLast(const QString& text);
    // Removes the first `count` lines (all when count exceeds the size).
    void removeFirst(qsizetype count);
    // Writes every line in UTF-8 followed by `lineEnd`, without copying the list. False when the
    // device refuses a write.
    bool writeUtf8(QIODevice& device, QByteArrayView lineEnd) const;

private:
    void appendLocked(const QString& line);
    QString lineLocked(qsizetype index) const;

    mutable QMutex mutex;
    QByteArray text;       // the lines' UTF-8, one after the other
    QList<qsizetype> ends; // where each line ends in `text`
};
