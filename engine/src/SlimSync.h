// A mutex and a condition variable over the platform's slim reader/writer
// lock and condition variable. Unlike the threads library's (built on kernel
// events and semaphores), they wait in user mode where the platform can, so a
// hand-over between two threads many times a second stays cheap.
// https://learn.microsoft.com/windows/win32/sync/slim-reader-writer--srw--locks
#pragma once

#include <windows.h>

#include <chrono>
#include <mutex>

namespace engine {

class SlimMutex {
  public:
    SlimMutex() = default;
    SlimMutex(const SlimMutex&) = delete;
    SlimMutex& operator=(const SlimMutex&) = delete;
    void lock() { AcquireSRWLockExclusive(&lock_); }
    void unlock() { ReleaseSRWLockExclusive(&lock_); }
    SRWLOCK* native() { return &lock_; }

  private:
    SRWLOCK lock_ = SRWLOCK_INIT;
};

class SlimCondition {
  public:
    SlimCondition() = default;
    SlimCondition(const SlimCondition&) = delete;
    SlimCondition& operator=(const SlimCondition&) = delete;

    void notify_all() { WakeAllConditionVariable(&condition_); }

    void wait(std::unique_lock<SlimMutex>& lock) {
        SleepConditionVariableSRW(&condition_, lock.mutex()->native(), INFINITE, 0);
    }
    template <typename Predicate> void wait(std::unique_lock<SlimMutex>& lock, Predicate done) {
        while (!done())
            wait(lock);
    }
    // Waits at most `timeout` (wakes early on a notification, or spuriously).
    template <typename Rep, typename Period>
    void wait_for(std::unique_lock<SlimMutex>& lock, std::chrono::duration<Rep, Period> timeout) {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(timeout).count();
        SleepConditionVariableSRW(&condition_, lock.mutex()->native(), static_cast<DWORD>(ms > 0 ? ms : 0),
                                  0);
    }
    // True when `done` holds at the end; false when the time ran out first.
    template <typename Rep, typename Period, typename Predicate>
    bool wait_for(std::unique_lock<SlimMutex>& lock, std::chrono::duration<Rep, Period> timeout,
                  Predicate done) {
        const ULONGLONG until =
            GetTickCount64() +
            static_cast<ULONGLONG>(std::chrono::duration_cast<std::chrono::milliseconds>(timeout).count());
        while (!done()) {
            const ULONGLONG now = GetTickCount64();
            if (now >= until)
                return done();
            SleepConditionVariableSRW(&condition_, lock.mutex()->native(), static_cast<DWORD>(until - now),
                                      0);
        }
        return true;
    }

  private:
    CONDITION_VARIABLE condition_ = CONDITION_VARIABLE_INIT;
};

} // namespace engine
