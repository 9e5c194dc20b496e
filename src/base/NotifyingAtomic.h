#pragma once
// An atomic value whose every change wakes the threads that wait for it to leave a value, so that a
// waiter reacts at once instead of looking again after a sleep.
#include <atomic>

template <typename T> class TNotifyingAtomic
{
public:
    constexpr TNotifyingAtomic(T initial) noexcept : value(initial) {}
    TNotifyingAtomic(const TNotifyingAtomic&) = delete;
    TNotifyingAtomic& operator=(const TNotifyingAtomic&) = delete;

    T load() const noexcept { return value.load(); }
    operator T() const noexcept { return value.load(); }

    void store(T desired) noexcept
    {
        value.store(desired);
        value.notify_all();
    }
    T operator=(T desired) noexcept
    {
        store(desired);
        return desired;
    }
    T exchange(T desired) noexcept
    {
        const T previous = value.exchange(desired);
        value.notify_all();
        return previous;
    }
    bool compare_exchange_strong(T& expected, T desired) noexcept
    {
        if (!value.compare_exchange_strong(expected, desired))
            return false;
        value.notify_all();
        return true;
    }
    bool compare_exchange_weak(T& expected, T desired) noexcept
    {
        if (!value.compare_exchange_weak(expected, desired))
            return false;
        value.notify_all();
        return true;
    }

    // Blocks while the value is `current`; returns as soon as any change moves it elsewhere.
    void waitWhile(T current) const noexcept
    {
        while (value.load() == current)
            value.wait(current);
    }

private:
    std::atomic<T> value;
};
