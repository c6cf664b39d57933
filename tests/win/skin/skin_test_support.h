// Shared pieces of the toolkit's Wine-side tests: a plain top-level window to
// attach, a probe control that records what it receives and paints a solid
// colour, and a pump that lets posted messages and timers run.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "skin/skin_control_win.h"
#include "skin/skin_engine_win.h"
#include "skin/skin_paint_win.h"
#include "skin/skin_toolkit_win.h"

namespace korvel::skin::testing {

inline HWND makeTestWindow(int width, int height, DWORD style = WS_POPUP | WS_MINIMIZEBOX,
                           int x = 40, int y = 40) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc{};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
        wc.lpszClassName = L"KorvelSkinTest";
        RegisterClassW(&wc);
        registered = true;
    }
    HWND hwnd = CreateWindowExW(0, L"KorvelSkinTest", L"Test window", style, x, y, width, height,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    return hwnd;
}

// Runs every pending message for about ms milliseconds.
inline void pump(DWORD ms = 0) {
    const DWORD end = GetTickCount() + ms;
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (ms) Sleep(5);
    } while (ms && static_cast<LONG>(GetTickCount() - end) < 0);
}

inline LPARAM point(int x, int y) { return MAKELPARAM(x, y); }

struct Received {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    int extra;
};

// Records every message and fills its rectangle with one colour on paint.
class ProbeControl : public SkinControl {
public:
    explicit ProbeControl(Argb color = 0xFF2040C0) : color_(color) {}

    bool Create(HWND hwnd, float x, float y, float w, float h, bool focusable = true,
                int kind = 30) {
        if (!Register(hwnd, {x, y, w, h}, kind, 1, focusable)) return false;
        Repaint();
        return true;
    }

    LRESULT HandleMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam, int, int,
                          int extra) override {
        received.push_back({message, wParam, lParam, extra});
        if (message == kMsgPaint) {
            if (GpGraphics* g = BeginRepaint()) {
                FillRect(g, Rectangle(), color_);
                EndRepaint(true);
            }
        }
        return 0;
    }

    int count(UINT message) const {
        int n = 0;
        for (const Received& r : received) n += r.message == message;
        return n;
    }
    void clear() { received.clear(); }

    std::vector<Received> received;

private:
    Argb color_;
};

// InitToolkit once per test program.
inline void startToolkit() {
    static const bool ok = InitToolkit();
    (void)ok;
}

}  // namespace korvel::skin::testing
