#include "engine/PointContents.h"

#include <algorithm>

namespace {
// True when the entry is already clean: no empty, "." or ".." component.
bool isClean(const QString& entry)
{
    qsizetype start = 0;
    while (start <= entry.size()) {
        qsizetype end = entry.indexOf('/', start);
        if (end < 0)
            end = entry.size();
        const QStringView part = QStringView(entry).mid(start, end - start);
        if (part.isEmpty() || part == u"." || part == u"..")
            return false;
        start = end + 1;
    }
    return true;
}

// Names in the order people expect: letter case aside, and runs of digits by their value ("b9"
// before "b10").
int compareNames(QStringView a, QStringView b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            const qsizetype si = i;
            const qsizetype sj = j;
            while (i < a.size() && a[i].isDigit())
                ++i;
            while (j < b.size() && b[j].isDigit())
                ++j;
            QStringView x = a.mid(si, i - si);
            QStringView y = b.mid(sj, j - sj);
            while (x.size() > 1 && x[0] == u'0')
                x = x.mid(1);
            while (y.size() > 1 && y[0] == u'0')
                y = y.mid(1);
            if (x.size() != y.size())
                return x.size() < y.size() ? -1 : 1;
            if (const int order = x.compare(y); order != 0)
                return order;
            continue;
        }
        const char32_t x = QChar::toCaseFolded(a[i].unicode());
        const char32_t y = QChar::toCaseFolded(b[j].unicode());
        if (x != y)
            return x < y ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    return a.compare(b);
}
} // namespace

QString CleanCatalogEntry(const QString& entry)
{
    if (entry.isEmpty())
        return QStringLiteral("");
    if (isClean(entry))
        return entry; // shared, not copied
    QStringList parts;
    for (const QString& part : entry.split('/', Qt::SkipEmptyParts)) {
        if (part == QLatin1String(".."))
            return QString();
        if (part != QLatin1String("."))
            parts.append(part);
    }
    return parts.isEmpty() ? QStringLiteral("") : parts.join('/');
}

TPointContents::TPointContents()
{
    TNode top;
    top.path = QStringLiteral("");
    top.present = true;
    nodes.push_back(top);
    index.insert(top.path, kTop);
}

TPointContents::TId TPointContents::entry(const QString& cleanPath, bool folder)
{
    if (cleanPath.isEmpty())
        return kTop;
    TId id = index.value(cleanPath, kNone);
    if (id == kNone) {
        const qsizetype slash = cleanPath.lastIndexOf('/');
        const TId parentId = entry(slash < 0 ? QString() : cleanPath.left(slash), true);
        id = TId(nodes.size());
        TNode node;
        node.path = cleanPath;
        node.parent = parentId;
        node.nextSibling = nodes[size_t(parentId)].firstChild;
        nodes.push_back(node);
        nodes[size_t(parentId)].firstChild = id;
        index.insert(cleanPath, id);
    } else if (!nodes[size_t(id)].present) {
        // Back after a removal: the folders above it are there again too.
        entry(path(parent(id)), true);
    }
    TNode& node = nodes[size_t(id)];
    if (node.present && node.folder != folder)
        removeSubtree(id); // a file became a folder or the other way round
    node.present = true;
    node.folder = folder;
    return id;
}

void TPointContents::removeSubtree(TId id)
{
    std::vector<TId> pending{id};
    while (!pending.empty()) {
        const TId current = pending.back();
        pending.pop_back();
        nodes[size_t(current)].present = false;
        for (TId child = nodes[size_t(current)].firstChild; child != kNone;
             child = nodes[size_t(child)].nextSibling)
            if (nodes[size_t(child)].present)
                pending.push_back(child);
    }
}

void TPointContents::remove(const QString& cleanPath)
{
    if (cleanPath.isEmpty())
        return; // the output folder itself is never removed
    const TId id = index.value(cleanPath, kNone);
    if (id != kNone && nodes[size_t(id)].present)
        removeSubtree(id);
}

void TPointContents::apply(qint32 source, const QStringList& fileList, const QStringList& folderList,
                           const QStringList& removedFiles, const QStringList& removedFolders)
{
    for (const QString& e : removedFiles) {
        const QString clean = CleanCatalogEntry(e);
        const TId id = clean.isNull() ? kNone : index.value(clean, kNone);
        if (id != kNone && !nodes[size_t(id)].folder)
            remove(clean);
    }
    for (const QString& e : removedFolders) {
        const QString clean = CleanCatalogEntry(e);
        if (!clean.isNull())
            remove(clean);
    }
    for (const QString& e : folderList) {
        const QString clean = CleanCatalogEntry(e);
        if (!clean.isNull())
            entry(clean, true);
    }
    for (const QString& e : fileList) {
        const QString clean = CleanCatalogEntry(e);
        if (clean.isNull() || clean.isEmpty())
            continue;
        nodes[size_t(entry(clean, false))].source = qint16(source);
    }
}

void TPointContents::finish()
{
    sortedChildren.clear();
    files = folders = 0;
    for (size_t i = 0; i < nodes.size(); ++i) {
        TNode& node = nodes[i];
        if (!node.present || !node.folder)
            continue;
        node.childrenBegin = qint32(sortedChildren.size());
        for (TId child = node.firstChild; child != kNone; child = nodes[size_t(child)].nextSibling) {
            if (nodes[size_t(child)].present) {
                sortedChildren.push_back(child);
                (nodes[size_t(child)].folder ? folders : files) += 1;
            }
        }
        node.childrenCount = qint32(sortedChildren.size()) - node.childrenBegin;
        std::sort(sortedChildren.begin() + node.childrenBegin, sortedChildren.end(), [&](TId a, TId b) {
            if (nodes[size_t(a)].folder != nodes[size_t(b)].folder)
                return nodes[size_t(a)].folder;
            return compareNames(name(a), name(b)) < 0;
        });
        for (qint32 r = 0; r < node.childrenCount; ++r)
            nodes[size_t(sortedChildren[size_t(node.childrenBegin + r)])].row = r;
    }
    // Entries that are gone stay out of the lookups.
    for (auto it = index.begin(); it != index.end();) {
        if (nodes[size_t(it.value())].present)
            ++it;
        else
            it = index.erase(it);
    }
    sortedChildren.shrink_to_fit();
}

TPointContents::TId TPointContents::find(const QString& cleanPath) const
{
    if (cleanPath.isNull())
        return kNone;
    const TId id = index.value(cleanPath, kNone);
    return id != kNone && nodes[size_t(id)].present ? id : kNone;
}

QStringView TPointContents::name(TId id) const
{
    const QString& p = nodes[size_t(id)].path;
    return QStringView(p).mid(p.lastIndexOf('/') + 1);
}

std::span<const TPointContents::TId> TPointContents::children(TId id) const
{
    const TNode& node = nodes[size_t(id)];
    return std::span<const TId>(sortedChildren.data() + node.childrenBegin, size_t(node.childrenCount));
}

QString TPointContents::storageFolderOf(TId id) const
{
    const qint16 source = nodes[size_t(id)].source;
    return source >= 0 && source < storageFolders.size() ? storageFolders.at(source) : QString();
}

TRestoreSelection::TRestoreSelection(const QStringList& items)
{
    for (const QString& item : items) {
        const QString clean = CleanCatalogEntry(item);
        if (clean.isNull())
            continue;
        if (clean.isEmpty()) {
            // The top stands for everything.
            list.clear();
            chosen.clear();
            above.clear();
            return;
        }
        list.append(clean);
        chosen.insert(clean, true);
        for (qsizetype slash = clean.indexOf('/'); slash >= 0; slash = clean.indexOf('/', slash + 1))
            above.insert(clean.left(slash), true);
    }
}

bool TRestoreSelection::covers(const QString& cleanEntry) const
{
    if (chosen.isEmpty())
        return true;
    if (cleanEntry.isEmpty())
        return false;
    if (chosen.contains(cleanEntry))
        return true;
    for (qsizetype slash = cleanEntry.indexOf('/'); slash >= 0; slash = cleanEntry.indexOf('/', slash + 1))
        if (chosen.contains(QStringView(cleanEntry).left(slash).toString()))
            return true;
    return false;
}

bool TRestoreSelection::leadsTo(const QString& cleanEntry) const
{
    return chosen.isEmpty() || cleanEntry.isEmpty() || above.contains(cleanEntry);
}
