// The window procedure every skinned window gets: frame messages, painting
// from the present buffer, timers, and the hand-off of input to the input root.
#include <algorithm>

#include "skin/caption_button_win.h"
#include "skin/skin_control_win.h"
#include "skin/skin_engine_win.h"
#include "skin/skin_toolkit_win.h"
#include "text/wide_text_win.h"

namespace korvel::skin {

namespace {

constexpr wchar_t kEngineProperty[] = L"addr_wnd";
constexpr UINT kShowStateChange = 0x8000;
constexpr int kCloseEffectFrames = 6;
constexpr DWORD kCloseEffectFrameMs = 15;

}  // namespace

LRESULT CALLBACK SkinEngine::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* engine = static_cast<SkinEngine*>(GetPropW(hwnd, kEngineProperty));
    if (!engine || !engine->record_) return DefWindowProcW(hwnd, message, wParam, lParam);
    return engine->handleMessage(hwnd, message, wParam, lParam);
}

LRESULT SkinEngine::defaultHandling(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (messageHook_) {
        const LRESULT hooked = messageHook_(hwnd, message, wParam, lParam);
        if (hooked != -1) return hooked;
    }
    if (previousProc_) return CallWindowProcW(previousProc_, hwnd, message, wParam, lParam);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void SkinEngine::playCloseEffect() {
    if (!record_ || record_->alpha != -1) return;
    // Fades the window towards its panel colour with AlphaBlend.
    DibBuffer veil;
    if (!veil.Make(record_->windowDc.get(), width_, height_)) return;
    gdip::GdipGraphicsClear(veil.Graphics(), 0xFF000000u | ((panelColor_ & 0xFF) << 16) |
                                                 (panelColor_ & 0xFF00) |
                                                 ((panelColor_ >> 16) & 0xFF));
    GdiFlush();
    for (int i = 1; i <= kCloseEffectFrames; ++i) {
        BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(255 * i / kCloseEffectFrames), 0};
        AlphaBlend(record_->windowDc.get(), 0, 0, width_, height_, veil.Dc(), 0, 0, width_, height_,
                   blend);
        Sleep(kCloseEffectFrameMs);
    }
}

// What a group handled ends here; the rest reaches the message hook and
// then the previous window procedure.
LRESULT SkinEngine::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) return destroyMessage(hwnd, wParam, lParam);
    LRESULT result = 0;
    if (frameMessage(hwnd, message, wParam, lParam, result)) return result;
    if (paintMessage(hwnd, message, wParam, lParam, result)) return result;
    if (input_.OnMessage(hwnd, message, wParam, lParam, result)) return result;
    if (toolkitMessage(hwnd, message, wParam, lParam, result)) return result;
    return defaultHandling(hwnd, message, wParam, lParam);
}

// The engine lets the window go first; the hook and the previous procedure
// still hear WM_DESTROY.
LRESULT SkinEngine::destroyMessage(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    const WNDPROC previous = previousProc_;
    MessageHookFn hook = messageHook_;
    Destroy(hwnd);
    if (hook) {
        const LRESULT hooked = hook(hwnd, WM_DESTROY, wParam, lParam);
        if (hooked != -1) return hooked;
    }
    return previous ? CallWindowProcW(previous, hwnd, WM_DESTROY, wParam, lParam)
                    : DefWindowProcW(hwnd, WM_DESTROY, wParam, lParam);
}

// Position, size and the frame the system would draw.
bool SkinEngine::frameMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) {
    result = 0;
    switch (message) {
        case WM_MOVE:
        case WM_EXITSIZEMOVE:
            refreshWindowRect();
            return false;
        case WM_SIZE:
            refreshWindowRect();
            if (LOWORD(lParam) && HIWORD(lParam)) Resize(hwnd, LOWORD(lParam), HIWORD(lParam));
            if (messageHook_) messageHook_(hwnd, message, wParam, lParam);
            return true;
        case WM_GETMINMAXINFO:
            refreshWindowRect();
            limitTrackSize(reinterpret_cast<MINMAXINFO*>(lParam));
            if (messageHook_) messageHook_(hwnd, message, wParam, lParam);
            return true;
        case WM_WINDOWPOSCHANGING: {
            auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
            if (!(pos->flags & kShowStateChange) || !(pos->flags & SWP_SHOWWINDOW) ||
                (pos->flags & SWP_NOMOVE))
                return false;
            keepOnScreen(pos);
            return true;
        }
        case WM_NCCALCSIZE:
            return wParam == 1;
        case WM_NCACTIVATE:
            if (wParam == 0) {
                result = 1;
                return true;
            }
            return !IsIconic(hwnd);
        default:
            return false;
    }
}

void SkinEngine::limitTrackSize(MINMAXINFO* info) const {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    info->ptMaxSize = {work.right, work.bottom - 1};
    info->ptMaxPosition = {work.left, work.top};
    info->ptMinTrackSize = {minTrackWidth(static_cast<int>(captionButtons_.size()),
                                          (captionFlags_ & kCaptionClose) != 0),
                            kMinTrackHeight};
}

// Keeps a window that is being shown on the screen.
void SkinEngine::keepOnScreen(WINDOWPOS* pos) const {
    const int sw = GetSystemMetrics(SM_CXSCREEN);
    const int sh = GetSystemMetrics(SM_CYSCREEN);
    pos->x = std::clamp(pos->x, 0, std::max(0, sw - width_));
    pos->y = std::clamp(pos->y, 0, std::max(0, sh - height_));
}

// The frame on screen: copies of the present buffer, the title, the close effect.
bool SkinEngine::paintMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) {
    result = 0;
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            const RECT& r = ps.rcPaint;
            BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, record_->present.Dc(),
                   r.left, r.top, SRCCOPY);
            EndPaint(hwnd, &ps);
            if (messageHook_) messageHook_(hwnd, message, wParam, lParam);
            return true;
        }
        case WM_SETTEXT: {
            result = defaultHandling(hwnd, message, wParam, lParam);
            const auto* text = reinterpret_cast<const wchar_t*>(lParam);
            DrawTitle(text ? text::toGbk(text) : std::string(), true, true);
            return true;
        }
        case WM_CLOSE:
            if (closeEffect_) playCloseEffect();
            return false;
        default:
            return false;
    }
}

// Timers, system-menu commands and the toolkit's own window messages.
bool SkinEngine::toolkitMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                LRESULT& result) {
    result = 0;
    switch (message) {
        case WM_TIMER:
            return OnTimer(hwnd, wParam);
        case WM_COMMAND:
            // System-menu commands from TrackPopupMenu become system commands;
            // the window's own commands (menus, child controls) pass on.
            if (lParam != 0 || LOWORD(wParam) < SC_SIZE) return false;
            SendMessageW(hwnd, WM_SYSCOMMAND, wParam, 0);
            return true;
        case kMsgBackgroundImage:
            result = reinterpret_cast<LRESULT>(background_.Handle());
            return true;
        case kMsgPanelColor:
            result = static_cast<LRESULT>(panelColor_);
            return true;
        default:
            return false;
    }
}

}  // namespace korvel::skin
