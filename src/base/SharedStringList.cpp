#include "base/SharedStringList.h"

#include <QIODevice>
#include <QMutexLocker>

void TSharedStringList::appendLocked(const QString& line)
{
    text.append(line.toUtf8());
    ends.append(text.size());
}

QString TSharedStringList::lineLocked(qsizetype index) const
{
    const qsizetype start = index == 0 ? 0 : ends.at(index - 1);
    return QString::fromUtf8(text.constData() + start, ends.at(index) - start);
}

QStringList TSharedStringList::snapshot() const
{
    return mid(0);
}

QStringList TSharedStringList::mid(qsizetype from) const
{
    QMutexLocker lock(&mutex);
    from = qBound(qsizetype(0), from, ends.size());
    QStringList copy;
    copy.reserve(ends.size() - from);
    for (qsizetype i = from; i < ends.size(); ++i)
        copy.append(lineLocked(i));
    return copy;
}

qsizetype TSharedStringList::lastIndexOf(const QString& line) const
{
    const QByteArray wanted = line.toUtf8();
    QMutexLocker lock(&mutex);
    for (qsizetype i = ends.size() - 1; i >= 0; --i) {
        const qsizetype start = i == 0 ? 0 : ends.at(i - 1);
        if (QByteArrayView(text.constData() + start, ends.at(i) - start) == wanted)
            return i;
    }
    return -1;
}

void TSharedStringList::assign(const QStringList& lines)
{
    QMutexLocker lock(&mutex);
    text.clear();
    ends.clear();
    for (const QString& line : lines)
        appendLocked(line);
}

void TSharedStringList::append(const QString& line)
{
    QMutexLocker lock(&mutex);
    appendLocked(line);
}

void TSharedStringList::append(const QStringList& lines)
{
    QMutexLocker lock(&mutex);
    for (const QString& line : lines)
        appendLocked(line);
}

void TSharedStringList::clear()
{
    QMutexLocker lock(&mutex);
    // Gives the memory back: a cleared run log must not keep the size of the last run.
    text = QByteArray();
    ends = QList<qsizetype>();
}

qsizetype TSharedStringList::size() const
{
    QMutexLocker lock(&mutex);
    return ends.size();
}

QString TSharedStringList::at(qsizetype index) const
{
    QMutexLocker lock(&mutex);
    return index >= 0 && index < ends.size() ? lineLocked(index) : QString();
}

QString TSharedStringList::last() const
{
    QMutexLocker lock(&mutex);
    return ends.isEmpty() ? QString() : lineLocked(ends.size() - 1);
}

void TSharedStringList::appendToLast(const QString& more)
{
    QMutexLocker lock(&mutex);
    if (ends.isEmpty()) {
        appendLocked(more);
        return;
    }
    // The last line is the end of the buffer: it grows in place.
    text.append(more.toUtf8());
    ends.last() = text.size();
}

void TSharedStringList::removeFirst(qsizetype count)
{
    QMutexLocker lock(&mutex);
    count = qBound(qsizetype(0), count, ends.size());
    if (count == 0)
        return;
    const qsizetype cut = ends.at(count - 1);
    text.remove(0, cut);
    ends.remove(0, count);
    for (qsizetype& end : ends)
        end -= cut;
}

bool TSharedStringList::writeUtf8(QIODevice& device, QByteArrayView lineEnd) const
{
    QMutexLocker lock(&mutex);
    qsizetype start = 0;
    for (const qsizetype end : std::as_const(ends)) {
        if (device.write(text.constData() + start, end - start) != end - start ||
            device.write(lineEnd.data(), lineEnd.size()) != lineEnd.size())
            return false;
        start = end;
    }
    return true;
}
