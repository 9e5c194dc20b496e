#include "engine/PathList.h"

#include <QHash>

namespace {
size_t capacityFor(qsizetype count)
{
    size_t capacity = 16;
    while (capacity < size_t(count) * 2)
        capacity *= 2;
    return capacity;
}
} // namespace

QString JoinedExactly(QStringView folder, QStringView name)
{
    QString joined;
    joined.reserve(folder.size() + name.size());
    joined.append(folder).append(name);
    return joined;
}

size_t TPathList::home(QStringView path) const
{
    return qHash(path, size_t(0)) & (slots.size() - 1);
}

void TPathList::assign(QStringList paths)
{
    items = std::move(paths);
    rebuildIndex(capacityFor(items.size()));
}

void TPathList::rebuildIndex(size_t capacity)
{
    slots.assign(capacity, kEmpty);
    indexedCount = 0;
    repeated.assign(size_t(items.size()), false);
    for (qsizetype i = 0; i < items.size(); ++i)
        repeated[size_t(i)] = !insertIndex(qint32(i));
}

bool TPathList::insertIndex(qint32 index)
{
    const QString& path = items.at(index);
    const size_t mask = slots.size() - 1;
    for (size_t slot = home(path);; slot = (slot + 1) & mask) {
        const qint32 held = slots[slot];
        if (held == kEmpty) {
            slots[slot] = index;
            ++indexedCount;
            return true;
        }
        if (items.at(held) == path)
            return false; // an earlier entry with this path keeps the slot: lookups return the first match
    }
}

void TPathList::append(const QString& path)
{
    items.append(path);
    if (slots.empty() || size_t(indexedCount + 1) * 2 > slots.size())
        rebuildIndex(capacityFor(items.size()));
    else
        repeated.push_back(!insertIndex(qint32(items.size() - 1)));
}

qsizetype TPathList::indexOf(QStringView path) const
{
    if (slots.empty())
        return -1;
    const size_t mask = slots.size() - 1;
    for (size_t slot = home(path);; slot = (slot + 1) & mask) {
        const qint32 held = slots[slot];
        if (held == kEmpty)
            return -1;
        if (items.at(held) == path)
            return held;
    }
}

qsizetype TPathList::indexOfJoined(QStringView folder, QStringView name, qsizetype hint) const
{
    if (hint >= 0 && hint < items.size() && !repeated[size_t(hint)]) {
        const QStringView held(items.at(hint));
        if (held.size() == folder.size() + name.size() && held.startsWith(folder) &&
            held.sliced(folder.size()) == name)
            return hint;
    }
    if (folder.isEmpty())
        return indexOf(name);
    return indexOf(JoinedExactly(folder, name));
}

void TPathList::removeLast()
{
    if (items.isEmpty())
        return;
    const qint32 last = qint32(items.size() - 1);
    const size_t mask = slots.size() - 1;
    size_t hole = home(items.at(last));
    while (slots[hole] != kEmpty && slots[hole] != last)
        hole = (hole + 1) & mask;
    if (slots[hole] == last) {
        // Backward-shift deletion keeps every probe chain unbroken without tombstones.
        for (size_t next = (hole + 1) & mask; slots[next] != kEmpty; next = (next + 1) & mask) {
            const size_t want = home(items.at(slots[next]));
            const bool movable = hole <= next ? (want <= hole || want > next) : (want <= hole && want > next);
            if (movable) {
                slots[hole] = slots[next];
                hole = next;
            }
        }
        slots[hole] = kEmpty;
        --indexedCount;
    }
    items.removeLast();
    repeated.pop_back();
}

void TPathList::clear()
{
    items.clear();
    slots.clear();
    repeated.clear();
    indexedCount = 0;
}

QStringList TPathList::take()
{
    QStringList taken = std::move(items);
    clear();
    return taken;
}
