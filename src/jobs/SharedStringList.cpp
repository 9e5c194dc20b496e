#include "jobs/SharedStringList.h"

#include <QMutexLocker>

QStringList TSharedStringList::snapshot() const
{
    // A real copy, not a shared one: the reader then never touches storage the writer may still grow.
    QMutexLocker lock(&mutex);
    QStringList copy;
    copy.reserve(lines.size());
    for (const QString& line : lines)
        copy.append(QString(line.constData(), line.size()));
    return copy;
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
