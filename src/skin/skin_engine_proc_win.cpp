// The window procedure every skinned window gets: frame messages, painting
// from the present buffer, timers, and the hand-off of input to routing.
#include <windowsx.h>

#include "skin/caption_button_win.h"
#include "skin/skin_control_win.h"
#include "skin/skin_engine_win.h"
#include "skin/skin_toolkit_win.h"
#include "text/wide_text_win.h"

namespace korvel::skin {

namespace {

constexpr wchar_t kEngineProperty[] = L"addr_wnd";
constexpr WPARAM kDoubleClickMarker = 10086;  // WM_LBUTTONDOWN re-sent for a double click
constexpr UINT kShowStateChange = 0x8000;
constexpr int kCaptionBandHeight = 24;
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

void SkinEngine::fireControlEvent(const ControlEvent& event, int control) const {
    if (!event) return;
    const ControlEntry* e = FindControlEntry(windowNumber_, control);
    if (!e || !e->control) return;
    event(hwnd_, e->identity, e->control->Tag(), e->kind);
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

LRESULT SkinEngine::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY: {
            trackingLeave_ = false;
            const WNDPROC previous = previousProc_;
            MessageHookFn hook = messageHook_;
            Destroy(hwnd);
            if (hook) {
                const LRESULT hooked = hook(hwnd, message, wParam, lParam);
                if (hooked != -1) return hooked;
            }
            return previous ? CallWindowProcW(previous, hwnd, message, wParam, lParam)
                            : DefWindowProcW(hwnd, message, wParam, lParam);
        }
        case WM_MOVE:
        case WM_EXITSIZEMOVE:
            refreshWindowRect();
            break;
        case WM_SIZE:
            refreshWindowRect();
            if (LOWORD(lParam) && HIWORD(lParam)) Resize(hwnd, LOWORD(lParam), HIWORD(lParam));
            if (messageHook_) messageHook_(hwnd, message, wParam, lParam);
            return 0;
        case WM_ACTIVATE:
            if (focused_) {
                if (LOWORD(wParam) != WA_INACTIVE) {
                    RepaintControls(focused_, true, kPaintCurrent);
                    fireControlEvent(focusGained_, focused_);
                } else {
                    RepaintControls(focused_, true, kPaintLostFocus);
                    fireControlEvent(focusLost_, focused_);
                }
            }
            break;
        case WM_KILLFOCUS:
            // The keyboard went to a child window of this one.
            if (focused_ && GetActiveWindow() == hwnd) {
                const ControlEntry* e = FindControlEntry(windowNumber_, focused_);
                if (e && e->control && !e->control->Disabled())
                    changeFocus(0, keyboardFocus_, kRepaintOld | kFocusEvents);
            }
            break;
        case WM_CAPTURECHANGED:
            // Another window took the mouse from a pressed control: the press
            // ends without a click. A capture merely dropped (no new owner,
            // as Wine does when the X focus moves between windows) leaves the
            // press to its button-up, which still arrives here.
            if (capture_ && lParam != 0 && reinterpret_cast<HWND>(lParam) != hwnd) {
                const int pressed = pressed_;
                endPress(false);
                RepaintControls(pressed, true, kPaintLostFocus);
            }
            break;
        case WM_SETTEXT: {
            const LRESULT result = defaultHandling(hwnd, message, wParam, lParam);
            const auto* text = reinterpret_cast<const wchar_t*>(lParam);
            DrawTitle(text ? text::toGbk(text) : std::string(), true, true);
            return result;
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            const RECT& r = ps.rcPaint;
            BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, record_->present.Dc(),
                   r.left, r.top, SRCCOPY);
            EndPaint(hwnd, &ps);
            if (messageHook_) messageHook_(hwnd, message, wParam, lParam);
            return 0;
        }
        case WM_CLOSE:
            if (closeEffect_) playCloseEffect();
            break;
        case WM_GETMINMAXINFO: {
            refreshWindowRect();
            RECT work{};
            SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMaxSize = {work.right, work.bottom - 1};
            info->ptMaxPosition = {work.left, work.top};
            info->ptMinTrackSize = {minTrackWidth(static_cast<int>(captionButtons_.size()),
                                                  (captionFlags_ & kCaptionClose) != 0),
                                    kMinTrackHeight};
            if (messageHook_) messageHook_(hwnd, message, wParam, lParam);
            return 0;
        }
        case WM_WINDOWPOSCHANGING: {
            auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
            if ((pos->flags & kShowStateChange) && (pos->flags & SWP_SHOWWINDOW) &&
                !(pos->flags & SWP_NOMOVE)) {
                // Keep a window that is being shown on the screen.
                const int sw = GetSystemMetrics(SM_CXSCREEN);
                const int sh = GetSystemMetrics(SM_CYSCREEN);
                pos->x = std::clamp(pos->x, 0, std::max(0, sw - width_));
                pos->y = std::clamp(pos->y, 0, std::max(0, sh - height_));
                return 0;
            }
            break;
        }
        case WM_NCCALCSIZE:
            if (wParam == 1) return 0;
            break;
        case WM_NCACTIVATE:
            if (wParam == 0) return 1;
            if (!IsIconic(hwnd)) return 0;
            break;
        // Input: what the engine handled ends here; the rest (keys no event
        // consumed, Alt keys no accelerator matched, the pointer over no
        // control) goes on to the hook and the previous procedure.
        case WM_KEYDOWN:
            if (OnKeyDown(hwnd, wParam, lParam)) return 0;
            break;
        case WM_KEYUP:
            if (OnKeyUp(hwnd, wParam, lParam)) return 0;
            break;
        case WM_CHAR:
            if (OnChar(hwnd, wParam, lParam)) return 0;
            break;
        case WM_SYSKEYDOWN:
            // A matched accelerator is consumed, so the system does not beep for it.
            if (OnSysKeyDown(hwnd, wParam, lParam)) return 0;
            break;
        case WM_COMMAND:
            // System-menu commands from TrackPopupMenu become system commands;
            // the window's own commands (menus, child controls) pass on.
            if (lParam == 0 && LOWORD(wParam) >= SC_SIZE) {
                SendMessageW(hwnd, WM_SYSCOMMAND, wParam, 0);
                return 0;
            }
            break;
        case WM_TIMER:
            if (OnTimer(hwnd, wParam)) return 0;
            break;
        case WM_MOUSEMOVE: {
            if (!trackingLeave_) {
                TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd, 0};
                trackingLeave_ = TrackMouseEvent(&track) != FALSE;
            }
            int control = 0;
            if (DispatchMouse(hwnd, message, wParam, lParam, &control)) return 0;
            break;
        }
        case WM_LBUTTONDOWN:
            if (onLeftDown(hwnd, wParam, lParam)) return 0;
            break;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP: {
            int control = 0;
            const bool handled = DispatchMouse(hwnd, message, wParam, lParam, &control);
            if (control) fireControlEvent(message == WM_LBUTTONUP ? leftUp_ : rightUp_, control);
            if (handled) return 0;
            break;
        }
        case WM_LBUTTONDBLCLK:
            SendMessageW(hwnd, WM_LBUTTONDOWN, kDoubleClickMarker, lParam);
            return 0;
        case WM_RBUTTONDOWN: {
            int control = 0;
            const bool handled = DispatchMouse(hwnd, message, wParam, lParam, &control);
            if (control) {
                if (controlIsIcon(control))
                    openSystemMenu(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
                fireControlEvent(rightDown_, control);
            }
            if (handled) return 0;
            break;
        }
        case WM_MOUSEWHEEL:
            if (OnMouseWheel(hwnd, message, wParam, lParam)) return 0;
            break;
        case WM_MOUSELEAVE:
            // State tracking only: the message still passes on.
            onMouseLeave();
            break;
        case kMsgHotkey:
            return OnHotkeyMessage(static_cast<int>(wParam), static_cast<int>(lParam));
        case kMsgBackgroundImage:
            return reinterpret_cast<LRESULT>(background_.Handle());
        case kMsgPanelColor:
            return static_cast<LRESULT>(panelColor_);
        default:
            break;
    }
    return defaultHandling(hwnd, message, wParam, lParam);
}

bool SkinEngine::onLeftDown(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    int control = 0;
    const bool handled = DispatchMouse(hwnd, WM_LBUTTONDOWN, wParam, lParam, &control);
    if (control) {
        if (wParam == kDoubleClickMarker) {
            SendToControl(windowNumber_, control, hwnd, WM_LBUTTONDBLCLK, wParam, lParam);
            fireControlEvent(doubleClick_, control);
        } else {
            fireControlEvent(leftDown_, control);
        }
        return handled;
    }
    // A double click on the caption band toggles maximize when the window has that button.
    if (wParam == kDoubleClickMarker && GET_Y_LPARAM(lParam) <= kCaptionBandHeight &&
        (captionFlags_ & kCaptionMaximize)) {
        sendCaptionPress(hwnd);
        PostMessageW(hwnd, WM_SYSCOMMAND, IsZoomed(hwnd) ? SC_RESTORE : SC_MAXIMIZE, 0);
        sendCaptionPress(hwnd);
        return true;
    }
    return handled;
}

void SkinEngine::onMouseLeave() {
    trackingLeave_ = false;
    setHovered(0, true);
    // A control being pressed keeps the mouse: its release must still arrive.
    if (!capture_) ReleaseCapture();
}

}  // namespace korvel::skin
