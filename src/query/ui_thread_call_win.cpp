#include "query/ui_thread_call_win.h"

#include <windows.h>

#include <atomic>
#include <mutex>

namespace korvel::query {

namespace {

constexpr wchar_t kClassName[] = L"KorvelUiThreadCall";
constexpr LRESULT kRan = 0x4B52;  // any value DefWindowProc never gives for our message

// A registered message, so a window that ever gets our handle value after
// ours is gone ignores it.
UINT callMessage() {
    static const UINT message = RegisterWindowMessageW(kClassName);
    return message;
}

// Stateless: the call travels in lParam, so the window never refers to the
// C++ object, which may be gone first.
LRESULT CALLBACK callProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == callMessage() && msg != 0) {
        (*reinterpret_cast<const std::function<void()>*>(lp))();
        return kRan;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

bool registerClass() {
    static std::once_flag once;
    static bool registered = false;
    std::call_once(once, [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = callProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kClassName;
        registered = RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    });
    return registered;
}

class WindowCall final : public UiThreadCall {
  public:
    explicit WindowCall(HWND window) : window_(window), owner_(GetCurrentThreadId()) {}
    ~WindowCall() override {
        // The last owner may be a worker; only the UI thread can destroy the
        // window, so it is asked to.
        HWND window = window_.exchange(nullptr);
        if (!window) return;
        if (GetCurrentThreadId() == owner_) {
            DestroyWindow(window);
        } else {
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
    }

    bool call(const std::function<void()>& work) override {
        HWND window = window_.load();
        if (!window) return false;
        // 0 when the window is gone or the UI thread ended meanwhile.
        return SendMessageW(window, callMessage(), 0, reinterpret_cast<LPARAM>(&work)) == kRan;
    }

    void close() override {
        HWND window = window_.exchange(nullptr);
        if (window) DestroyWindow(window);
    }

  private:
    std::atomic<HWND> window_;
    const DWORD owner_;
};

}  // namespace

std::shared_ptr<UiThreadCall> makeUiThreadCall() {
    if (!registerClass() || callMessage() == 0) return nullptr;
    HWND window = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (!window) return nullptr;
    return std::make_shared<WindowCall>(window);
}

}  // namespace korvel::query
