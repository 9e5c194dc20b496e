#pragma once
// A string list that a job's worker writes while the main thread reads it (run log, history, log
// list). Every access takes a small lock; readers work on a copy.
#include <QMutex>
#include <QStringList>

class TSharedStringList
{
public:
    TSharedStringList() = default;
    TSharedStringList(const TSharedStringList&) = delete;
    TSharedStringList& operator=(const TSharedStringList&) = delete;

    QStringList snapshot() const;
    void assign(const QStringList& lines);
    void append(const QString& line);
    void append(const QStringList& lines);
    void clear();
    qsizetype size() const;
    bool isEmpty() const { return size() == 0; }
    QString at(qsizetype index) const;
    QString last() const; // empty when the list is empty
    // Appends `text` to the last line, or adds it as a line when the list is empty.
    void appendToLast(const QString& text);
    // Removes the first `count` lines (all when count exceeds the size).
    void removeFirst(qsizetype count);

private:
    mutable QMutex mutex;
    QStringList lines;
};
