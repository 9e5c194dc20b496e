#include "jobs/SharedStringList.h"

#include <QMutexLocker>

QStringList TSharedStringList::snapshot() const
{
    QMutexLocker lock(&mutex);
    return lines;
}

void TSharedStringList::assign(const QStringList& newLines)
{
    QMutexLocker lock(&mutex);
    lines = newLines;
}

void TSharedStringList::append(const QString& line)
{
    QMutexLocker lock(&mutex);
    lines.append(line);
}

void TSharedStringList::append(const QStringList& more)
{
    QMutexLocker lock(&mutex);
    lines.append(more);
}

void TSharedStringList::clear()
{
    QMutexLocker lock(&mutex);
    lines.clear();
}

qsizetype TSharedStringList::size() const
{
    QMutexLocker lock(&mutex);
    return lines.size();
}

QString TSharedStringList::at(qsizetype index) const
{
    QMutexLocker lock(&mutex);
    return index >= 0 && index < lines.size() ? lines.at(index) : QString();
}

QString TSharedStringList::last() const
{
    QMutexLocker lock(&mutex);
    return lines.isEmpty() ? QString() : lines.last();
}

void TSharedStringList::appendToLast(const QString& text)
{
    QMutexLocker lock(&mutex);
    if (lines.isEmpty())
        lines.append(text);
    else
        lines.last().append(text);
}

void TSharedStringList::removeFirst(qsizetype count)
{
    QMutexLocker lock(&mutex);
    lines.remove(0, qMin(count, lines.size()));
}
