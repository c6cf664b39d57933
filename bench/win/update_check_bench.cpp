// The update check against an announcement page whose server sends its
// status line and then trickles its headers, a byte every two seconds (the
// update stand-in's "headers" page, started by bench/update_check_bench.py,
// which exports its port). From the opening of the update window until the
// check's outcome is shown, another thread sends the owner window WM_NULL
// every 50 ms; the figure is the longest it waited for the answer (goal:
// 100 ms). The outcome comes at the page's deadline, as "已最新版本".
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "dialogs/message_box_texts.h"
#include "skin/skin_toolkit_win.h"
#include "text/wide_text_win.h"
#include "upgrade/download_engine_win.h"
#include "upgrade/update_window_win.h"

using Clock = std::chrono::steady_clock;

namespace {

constexpr UINT kStepMs = 50;
constexpr UINT kAnswerLimitMs = 120000;

std::atomic<bool> outcomeShown{false};
double outcomeSeconds = 0;
Clock::time_point opened;

BOOL CALLBACK closeOutcomeBox(HWND hwnd, LPARAM) {
    wchar_t name[64] = {}, title[64] = {};
    GetClassNameW(hwnd, name, 64);
    GetWindowTextW(hwnd, title, 64);
    if (!IsWindowVisible(hwnd) || std::wstring(name) != korvel::skin::kHostClassName ||
        korvel::text::toGbk(title) != korvel::dialogs::kBoxTitle)
        return TRUE;
    if (!outcomeShown.exchange(true))
        outcomeSeconds = std::chrono::duration<double>(Clock::now() - opened).count();
    PostMessageW(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    return FALSE;
}

// Runs on the UI thread, inside every message loop there.
void CALLBACK watchForOutcome(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), closeOutcomeBox, 0);
}

HWND makeOwner() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KorvelUpdateCheckBenchOwner";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"owner", WS_OVERLAPPEDWINDOW, 100, 100, 662,
                                485, nullptr, nullptr, wc.hInstance, nullptr);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    return hwnd;
}

}  // namespace

int main() {
    wchar_t port[16];
    const DWORD n = GetEnvironmentVariableW(L"KORVEL_UPDATE_PORT", port, 16);
    if (n == 0 || n >= 16) {
        std::printf(
            "update_check_bench: needs the update stand-in; run bench/update_check_bench.py\n");
        return 0;
    }
    if (!korvel::skin::InitToolkit()) return 1;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    korvel::upgrade::DownloadEngine engine;
    korvel::upgrade::UpdateWindow window(
        engine, {"http://127.0.0.1:" + korvel::text::toGbk(port) + "/update.htm",
                 korvel::text::toGbk(temp) + "korvel.exe"});
    HWND owner = makeOwner();

    std::atomic<long long> worstMs{-1};
    std::thread sampler([&] {
        while (!outcomeShown) {
            const auto sent = Clock::now();
            DWORD_PTR result = 0;
            const bool answered =
                SendMessageTimeoutW(owner, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerLimitMs, &result);
            const long long waited =
                answered
                    ? std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - sent)
                          .count()
                    : kAnswerLimitMs;
            worstMs = std::max(worstMs.load(), waited);
            Sleep(kStepMs);
        }
    });
    const UINT_PTR timer = SetTimer(nullptr, 0, kStepMs, watchForOutcome);
    opened = Clock::now();
    window.show(owner, "1.0.0.0");
    KillTimer(nullptr, timer);
    outcomeShown = true;
    sampler.join();
    DestroyWindow(owner);
    std::printf("update check against trickled headers: outcome shown after %.1f s\n",
                outcomeSeconds);
    std::printf("update_check_trickled_headers_worst_ui_answer_ms: %lld (goal <= 100)\n",
                worstMs.load());
    return 0;
}
