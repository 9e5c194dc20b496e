#pragma once
// An ordered list of relative paths with a hash index for lookups. Paths compare exactly (Linux file
// names differ by letter case); a lookup returns the first matching entry; the list keeps the order
// in which entries were added, which is the order the catalogs are written in.
#include <QString>
#include <QStringList>

#include <vector>

// `folder` + `name` in a string of exactly that size (a plain `+` leaves room to grow, which a list of
// a hundred thousand paths pays for in every entry).
QString JoinedExactly(QStringView folder, QStringView name);

class TPathList
{
public:
    TPathList() = default;
    explicit TPathList(QStringList paths) { assign(std::move(paths)); }

    void assign(QStringList paths);
    void append(const QString& path);
    // Removes the last entry (and its index slot when it was the first of its kind).
    void removeLast();
    void clear();

    qsizetype indexOf(QStringView path) const;
    // The same answer for the path `folder` + `name`, trying the entry at `hint` first: a walk meets the
    // entries of the previous run mostly in their recorded order, so the hint is the next index.
    qsizetype indexOfJoined(QStringView folder, QStringView name, qsizetype hint) const;
    // False for an entry whose path an earlier entry already has.
    bool isFirstOccurrence(qsizetype index) const { return !repeated[size_t(index)]; }
    bool contains(QStringView path) const { return indexOf(path) >= 0; }
    qsizetype size() const { return items.size(); }
    bool isEmpty() const { return items.isEmpty(); }
    const QString& at(qsizetype index) const { return items.at(index); }
    const QString& last() const { return items.last(); }
    const QStringList& list() const { return items; }
    // Hands the entries over and leaves the list empty.
    QStringList take();

private:
    static constexpr qint32 kEmpty = -1;
    size_t home(QStringView path) const;
    // False when an earlier entry has the path (the slot stays with it).
    bool insertIndex(qint32 index);
    void rebuildIndex(size_t capacity);

    QStringList items;
    // Open addressing with linear probing; each slot holds an index into `items` or kEmpty.
    std::vector<qint32> slots;
    qsizetype indexedCount = 0;
    std::vector<bool> repeated;
};
