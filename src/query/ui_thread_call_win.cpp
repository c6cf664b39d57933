#include "query/ui_thread_call_win.h"

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>

namespace korvel::query {

namespace {

constexpr wchar_t kClassName[] = L"KorvelUiThreadCall";
constexpr wchar_t kPostName[] = L"KorvelUiThreadPost";
constexpr LRESULT kRan = 0x4B52;  // any value DefWindowProc never gives for our message

// Registered messages, so a window that ever gets our handle value after ours
// is gone ignores them.
UINT callMessage() {
    static const UINT message = RegisterWindowMessageW(kClassName);
    return message;
}
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

    // Calls made while the UI thread is busy wait here, not in SendMessage.
    struct Waiting {
        const std::function<void()>* work;
        bool taken = false;
        bool ran = false;
    };
    bool busy = false;
    std::deque<Waiting*> waiting;
    std::condition_variable changed;

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

// A call travels in lParam and posted work is found through the window's own
// reference, so the window never refers to the C++ object, which may go first.
LRESULT CALLBACK callProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == callMessage() && msg != 0) {
        (*reinterpret_cast<const std::function<void()>*>(lp))();
        return kRan;
    }
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

    bool call(const std::function<void()>& work) override {
        HWND window = window_.load();
        if (!window) return false;
        {
            std::unique_lock lock(posted_->mutex);
            if (posted_->closed) return false;
            if (posted_->busy && GetCurrentThreadId() != owner_) {
                PostedWork::Waiting waiting{&work};
                posted_->waiting.push_back(&waiting);
                // Once taken, the call runs to its end, so work outlives it.
                posted_->changed.wait(lock, [&] {
                    return waiting.ran || (posted_->closed && !waiting.taken);
                });
                return waiting.ran;
            }
        }
        // 0 when the window is gone or the UI thread ended meanwhile.
        return SendMessageW(window, callMessage(), 0, reinterpret_cast<LPARAM>(&work)) == kRan;
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
        {
            std::lock_guard lock(posted_->mutex);
            posted_->closed = true;
            posted_->work.clear();
            posted_->waiting.clear();
            posted_->busy = false;
            posted_->changed.notify_all();
        }
        HWND window = window_.exchange(nullptr);
        if (window) DestroyWindow(window);
    }

    void beginBusy() override {
        std::lock_guard lock(posted_->mutex);
        posted_->busy = !posted_->closed;
    }

    void endBusy() override {
        {
            std::lock_guard lock(posted_->mutex);
            posted_->busy = false;
        }
        runWaiting();
    }

    void serviceCalls() override {
        if (GetCurrentThreadId() == owner_) runWaiting();
    }

  private:
    // UI thread: runs the calls that queued while it was busy, in order.
    void runWaiting() {
        std::unique_lock lock(posted_->mutex);
        while (!posted_->waiting.empty()) {
            PostedWork::Waiting* next = posted_->waiting.front();
            posted_->waiting.pop_front();
            next->taken = true;
            lock.unlock();
            (*next->work)();
            lock.lock();
            next->ran = true;
            posted_->changed.notify_all();
        }
    }

    std::atomic<HWND> window_;
    const DWORD owner_;
    PostedWorkRef posted_;
};

}  // namespace

std::shared_ptr<UiThreadCall> makeUiThreadCall() {
    if (!registerClass() || callMessage() == 0 || postMessage() == 0) return nullptr;
    HWND window = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (!window) return nullptr;
    auto posted = std::make_shared<PostedWork>();
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new PostedWorkRef(posted)));
    return std::make_shared<WindowCall>(window, std::move(posted));
}

}  // namespace korvel::query
