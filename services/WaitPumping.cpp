#include "WaitPumping.h"

#include "UniqueHandle.h"

#include <windows.h>

namespace corvina {

bool waitPumping(long long duration, WaitUnit unit) {
    long long unitMs = 1;
    switch (unit) {
    case WaitUnit::Seconds:
        unitMs = 1000;
        break;
    case WaitUnit::Minutes:
        unitMs = 60'000;
        break;
    case WaitUnit::Hours:
        unitMs = 3'600'000;
        break;
    default:
        break;
    }
    if (duration < 0 && unit == WaitUnit::Milliseconds) {
        duration = 18'000'000;
        unitMs = 3'600'000; // the unit value 18 000 000 is past hours: treat as hours, endless in effect
    }
    UniqueHandle timer(CreateWaitableTimerW(nullptr, TRUE, nullptr));
    if (!timer)
        return true;
    LARGE_INTEGER due;
    due.QuadPart = -(duration * unitMs * 10'000); // relative, in 100 ns steps
    if (!SetWaitableTimer(timer.get(), &due, 0, nullptr, nullptr, FALSE))
        return true;
    HANDLE handles[] = {timer.get()};
    for (;;) {
        DWORD r = MsgWaitForMultipleObjects(1, handles, FALSE, INFINITE, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0)
            break;
        if (r != WAIT_OBJECT_0 + 1)
            break; // the wait itself failed: do not spin
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam)); // leave it for the real loop
                return true;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return true;
}

} // namespace corvina
