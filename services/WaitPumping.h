// Waiting while the calling thread keeps dispatching its window messages.
#pragma once

namespace corvina {

enum class WaitUnit { Milliseconds = 0, Seconds = 1, Minutes = 2, Hours = 3 };

// Waits `duration` units on a one-shot waitable timer, dispatching the thread's
// messages whenever input arrives; returns true. With no duration given
// (negative) and milliseconds, the wait is endless in effect.
bool waitPumping(long long duration = -1, WaitUnit unit = WaitUnit::Milliseconds);

} // namespace corvina
