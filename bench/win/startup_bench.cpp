// Start-up of korvel.exe against minimal_window_baseline.exe, a plain window
// program built the same way, both started from here in the same Wine:
//   1. process start to the first presented frame: the process has gone
//      idle waiting for input, and its main window is visible with nothing
//      left to paint (goal: at most 2 times the baseline's, median of runs);
//   2. private memory of each once it has sat idle for a second.
// A program that shows no window in time is reported, not waited for.
#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "upgrade/upgrade_handles_win.h"

using korvel::upgrade::KernelHandle;

namespace {

constexpr int kRuns = 7;
constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kIdleBeforeMemoryMs = 1000;
constexpr DWORD kCloseTimeoutMs = 5000;

struct Start {
    double seconds = 0;
    double privateMiB = 0;
};

std::wstring ownFolder() {
    std::wstring path(MAX_PATH, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(n);
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

double now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct WindowSearch {
    DWORD processId;
    HWND best = nullptr;
    long bestArea = 0;
};

BOOL CALLBACK considerWindow(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    RECT r;
    if (owner != search.processId || !IsWindowVisible(window) || !GetWindowRect(window, &r))
        return TRUE;
    const long area = (r.right - r.left) * (r.bottom - r.top);
    if (area > search.bestArea) {
        search.best = window;
        search.bestArea = area;
    }
    return TRUE;
}

// The process's largest visible top-level window (tooltips and the like are
// smaller than a main window).
HWND mainWindowOf(DWORD processId) {
    WindowSearch search{processId};
    EnumWindows(considerWindow, reinterpret_cast<LPARAM>(&search));
    return search.best;
}

void closeProgram(HANDLE process, HWND window) {
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process, kCloseTimeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process, 1);
        WaitForSingleObject(process, kCloseTimeoutMs);
    }
}

std::optional<Start> startOnce(const std::wstring& exe) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    const std::wstring folder = exe.substr(0, exe.find_last_of(L"\\/") + 1);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    const double begin = now();
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &info))
        return std::nullopt;
    KernelHandle process(info.hProcess);
    KernelHandle thread(info.hThread);

    HWND window = nullptr;
    bool presented = false;
    while (!presented && (now() - begin) * 1000 < kStartTimeoutMs) {
        if (WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0) return std::nullopt;
        if (WaitForInputIdle(process.get(), 5) != 0) continue;
        window = mainWindowOf(info.dwProcessId);
        presented = window && !GetUpdateRect(window, nullptr, FALSE);
        if (!presented) Sleep(1);
    }
    const double seconds = now() - begin;
    if (!presented) {
        closeProgram(process.get(), window);
        return std::nullopt;
    }

    Sleep(kIdleBeforeMemoryMs);
    // The commit charge: what the process holds privately. Wine fills this
    // field, not PrivateUsage, which Windows sets to the same value.
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(process.get(), &memory, sizeof(memory));
    closeProgram(process.get(), window);
    return Start{seconds, static_cast<double>(memory.PagefileUsage) / (1024.0 * 1024.0)};
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main() {
    const std::wstring folder = ownFolder();
    const std::wstring programs[2] = {folder + L"minimal_window_baseline.exe",
                                      folder + L"..\\korvel.exe"};
    const char* names[2] = {"minimal window", "korvel.exe"};
    std::vector<double> seconds[2], memory[2];
    for (int run = -1; run < kRuns; ++run) {  // run -1 warms the file cache
        for (int p = 0; p < 2; ++p) {
            const std::optional<Start> start = startOnce(programs[p]);
            if (!start) {
                std::printf("startup: %s showed no painted window within %lu s; not measured\n",
                            names[p], kStartTimeoutMs / 1000);
                return 0;
            }
            if (run < 0) continue;
            seconds[p].push_back(start->seconds);
            memory[p].push_back(start->privateMiB);
        }
    }
    const double baseline = median(seconds[0]), program = median(seconds[1]);
    std::printf(
        "startup to first frame (median of %d): minimal window %.0f ms, korvel.exe %.0f ms\n",
        kRuns, baseline * 1e3, program * 1e3);
    std::printf("startup_over_minimal_window: %.2f (goal <= 2)\n", program / baseline);
    std::printf("idle_private_memory_mib: %.1f (minimal window %.1f)\n", median(memory[1]),
                median(memory[0]));
    return 0;
}
