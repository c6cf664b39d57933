// Message pumps for the Wine tests that wait for something to have happened,
// never for a fixed time.
#pragma once

#include <windows.h>

#include <functional>

namespace korvel::wine_test {

// Runs this thread's messages (sent, posted, input, paint, timers) until
// done() holds or timeoutMs has passed (a guard against a hang, no bound on
// the code under test). Wakes as soon as a message comes.
inline bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 30000) {
    const DWORD start = GetTickCount();
    MSG msg;
    for (;;) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done()) return true;
        if (GetTickCount() - start >= timeoutMs) return done();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

// Runs every message posted to this thread before the call, then every
// message and paint still pending: a thread message posted now comes out of
// the queue after all of them. Timers not yet due are not waited for. False
// if the mark never came (a nested loop of the code under test took it).
inline bool pumpPosted() {
    static const UINT mark = RegisterWindowMessageW(L"KorvelTestPostedMark");
    if (!PostThreadMessageW(GetCurrentThreadId(), mark, 0, 0)) return false;
    MSG msg;
    for (const DWORD start = GetTickCount();;) {
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (GetTickCount() - start >= 30000) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
            continue;
        }
        if (!msg.hwnd && msg.message == mark) break;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

}  // namespace korvel::wine_test
