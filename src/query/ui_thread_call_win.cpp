#include "query/ui_thread_call_win.h"

#include <windows.h>

#include <atomic>
#include <map>
#include <mutex>

namespace korvel::query {

namespace {

constexpr wchar_t kClassName[] = L"KorvelUiThreadCall";
constexpr wchar_t kPostName[] = L"KorvelUiThreadPost";

// A registered message, so a window that ever gets our handle value after
// ours is gone ignores it.
UINT postMessage() {
    static const UINT message = RegisterWindowMessageW(kPostName);
    return message;
}

// Posted work waits here until the UI thread runs it. Workers post while the
// UI thread may be closing the window, so the window and the C++ object share
// it and whichever goes last frees it.
struct PostedWork {
    std::mutex mutex;
    bool closed = false;
    UINT_PTR nextId = 1;
    std::map<UINT_PTR, std::function<void()>> work;

    std::function<void()> takeOut(UINT_PTR id) {
        std::lock_guard lock(mutex);
        auto it = work.find(id);
        if (it == work.end()) return nullptr;
        auto found = std::move(it->second);
        work.erase(it);
        return found;
    }
};

using PostedWorkRef = std::shared_ptr<PostedWork>;

PostedWork* postedWorkOf(HWND hwnd) {
    auto* ref = reinterpret_cast<PostedWorkRef*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return ref ? ref->get() : nullptr;
}

void runPosted(HWND hwnd, UINT_PTR id) {
    PostedWork* posted = postedWorkOf(hwnd);
    if (!posted) return;
    if (auto work = posted->takeOut(id)) work();
}

// Posted work is found through the window's own reference, so the window
// never refers to the C++ object, which may go first.
LRESULT CALLBACK callProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == postMessage() && msg != 0) {
        // Timers belong to the window's own thread, so a delay starts here.
        if (lp > 0 && SetTimer(hwnd, wp, static_cast<UINT>(lp), nullptr)) return 0;
        runPosted(hwnd, wp);
        return 0;
    }
    if (msg == WM_TIMER) {
        KillTimer(hwnd, wp);
        runPosted(hwnd, wp);
        return 0;
    }
    if (msg == WM_NCDESTROY) {
        delete reinterpret_cast<PostedWorkRef*>(SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0));
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
    WindowCall(HWND window, PostedWorkRef posted)
        : window_(window), owner_(GetCurrentThreadId()), posted_(std::move(posted)) {}
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

    void post(std::function<void()> work, unsigned delayMs) override {
        HWND window = window_.load();
        if (!window) return;
        UINT_PTR id = 0;
        {
            std::lock_guard lock(posted_->mutex);
            if (posted_->closed) return;
            id = posted_->nextId++;
            posted_->work.emplace(id, std::move(work));
        }
        if (!PostMessageW(window, postMessage(), id, static_cast<LPARAM>(delayMs))) {
            posted_->takeOut(id);
        }
    }

    void close() override {
        std::map<UINT_PTR, std::function<void()>> dropped;  // let go outside the lock
        {
            std::lock_guard lock(posted_->mutex);
            posted_->closed = true;
            dropped.swap(posted_->work);
        }
        HWND window = window_.exchange(nullptr);
        if (window) DestroyWindow(window);
    }

  private:
    std::atomic<HWND> window_;
    const DWORD owner_;
    PostedWorkRef posted_;
};

}  // namespace

std::shared_ptr<UiThreadCall> makeUiThreadCall() {
    if (!registerClass() || postMessage() == 0) return nullptr;
    HWND window = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (!window) return nullptr;
    auto posted = std::make_shared<PostedWork>();
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new PostedWorkRef(posted)));
    return std::make_shared<WindowCall>(window, std::move(posted));
}

}  // namespace korvel::query
