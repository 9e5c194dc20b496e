#include "engine/MirrorChecksums.h"

#include "engine/ChecksumFile.h"

#include <algorithm>
#include <numeric>

namespace {

using TOrder = std::vector<qint32>;

// Positions 0..count-1 in the order of the paths `pathOf` gives them; equal paths keep their order.
template <typename PathOf> TOrder SortedByPath(qsizetype count, PathOf pathOf)
{
    TOrder order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&pathOf](qint32 a, qint32 b) { return pathOf(a) < pathOf(b); });
    return order;
}

// The earlier file's entries in path order, the last line of a path winning. `unsorted` is set when the
// file turns out not to be in path order (not written by this program): the stream cannot merge it.
class TEarlierEntries
{
public:
    explicit TEarlierEntries(const QString& path) : reader(path) { advance(); }

    bool has = false;
    bool unsorted = false;
    QString path;
    TChecksumEntry entry;

    void advance()
    {
        has = nextRaw(path, entry);
        if (!has)
            return;
        QString following;
        TChecksumEntry followingEntry;
        while (nextRaw(following, followingEntry)) {
            if (following == path) {
                entry = followingEntry;
                continue;
            }
            if (following < path)
                unsorted = true;
            ahead = {std::move(following), followingEntry};
            aheadValid = true;
            break;
        }
    }

private:
    bool nextRaw(QString& p, TChecksumEntry& e)
    {
        if (!aheadValid)
            return reader.next(p, e);
        p = std::move(ahead.first);
        e = ahead.second;
        aheadValid = false;
        return true;
    }

    TChecksumFileReader reader;
    std::pair<QString, TChecksumEntry> ahead;
    bool aheadValid = false;
};

// The same result through a table of every entry, for an earlier file that is not in path order.
bool WriteThroughTable(const QString& earlierFile, const QString& outputFile, const TBackupRunState& state,
                       bool complete)
{
    TChecksumTable earlier;
    ReadChecksumFile(earlierFile, earlier);
    TChecksumTable table;
    if (complete) {
        for (qsizetype i = 0; i < state.LocalFilesList.size(); ++i) {
            const QString path = state.LocalFilesList.at(i).toString();
            if (const TChecksumEntry* entry = earlier.find(path))
                table.entries.insert(path, *entry);
        }
        earlier = TChecksumTable();
    } else {
        table = std::move(earlier);
    }
    for (size_t i = 0; i < state.CopiedFilesList.size() && i < state.CopiedChecksums.size(); ++i) {
        const QString path = state.LocalFilesList.at(state.CopiedFilesList[i]).toString();
        const TJob::TCopyChecksum& copy = state.CopiedChecksums[i];
        if (copy.size >= 0)
            table.entries.insert(path, TChecksumEntry{copy.size, copy.digest});
        else
            table.entries.remove(path);
    }
    QStringList paths = table.entries.keys();
    paths.sort();
    TChecksumFileWriter writer(outputFile);
    for (const QString& path : std::as_const(paths)) {
        const TChecksumEntry& entry = *table.find(path);
        writer.append(path, entry.size, entry.digest);
    }
    return writer.commit();
}

} // namespace

bool WriteMirrorChecksums(const QString& earlierFile, const QString& outputFile, const TBackupRunState& state,
                          bool complete)
{
    const TRecordedFileList& files = state.LocalFilesList;
    const auto copyPath = [&state, &files](qint32 i) { return files.at(state.CopiedFilesList[size_t(i)]); };
    const TOrder copies = SortedByPath(
        qsizetype(std::min(state.CopiedFilesList.size(), state.CopiedChecksums.size())), copyPath);
    // The files held, sorted only once an earlier entry has to be looked up (a mirror's first run
    // has none).
    TOrder held;
    bool heldSorted = false;
    size_t nextHeld = 0;
    const auto holds = [&files, &held, &heldSorted, &nextHeld](QStringView path) {
        if (!heldSorted) {
            held = SortedByPath(files.size(), [&files](qint32 i) { return files.at(i); });
            heldSorted = true;
        }
        while (nextHeld < held.size() && files.at(held[nextHeld]) < path)
            ++nextHeld;
        return nextHeld < held.size() && files.at(held[nextHeld]) == path;
    };

    TEarlierEntries earlier(earlierFile);
    TChecksumFileWriter writer(outputFile);
    size_t nextCopy = 0;
    while (!earlier.unsorted && (earlier.has || nextCopy < copies.size())) {
        if (nextCopy < copies.size() && (!earlier.has || copyPath(copies[nextCopy]) <= earlier.path)) {
            // A path copied more than once is recorded with its last copy.
            const QStringView path = copyPath(copies[nextCopy]);
            while (nextCopy + 1 < copies.size() && copyPath(copies[nextCopy + 1]) == path)
                ++nextCopy;
            const TJob::TCopyChecksum& copy = state.CopiedChecksums[size_t(copies[nextCopy])];
            if (copy.size >= 0)
                writer.append(path, copy.size, copy.digest);
            if (earlier.has && earlier.path == path)
                earlier.advance();
            ++nextCopy;
        } else {
            if (!complete || holds(earlier.path))
                writer.append(earlier.path, earlier.entry.size, earlier.entry.digest);
            earlier.advance();
        }
    }
    if (earlier.unsorted)
        return WriteThroughTable(earlierFile, outputFile, state, complete);
    return writer.commit();
}
