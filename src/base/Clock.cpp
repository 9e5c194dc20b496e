#include "base/Clock.h"

#include <atomic>
#include <limits>

namespace {
constexpr qint64 kNotFrozen = std::numeric_limits<qint64>::min();
std::atomic<qint64> frozenMsecs{kNotFrozen};
} // namespace

QDateTime Clock::currentDateTime()
{
    const qint64 frozen = frozenMsecs.load();
    if (frozen == kNotFrozen)
        return QDateTime::currentDateTime();
    return QDateTime::fromMSecsSinceEpoch(frozen);
}

qint64 Clock::currentMSecsSinceEpoch()
{
    const qint64 frozen = frozenMsecs.load();
    return frozen == kNotFrozen ? QDateTime::currentMSecsSinceEpoch() : frozen;
}

void Clock::setTestTime(const QDateTime& when)
{
    frozenMsecs.store(when.toMSecsSinceEpoch());
}

void Clock::advanceTestTime(qint64 msecs)
{
    qint64 current = frozenMsecs.load();
    if (current == kNotFrozen)
        current = QDateTime::currentMSecsSinceEpoch();
    frozenMsecs.store(current + msecs);
}

void Clock::resetTestTime()
{
    frozenMsecs.store(kNotFrozen);
}
