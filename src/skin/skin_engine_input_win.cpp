// SkinEngine input routing: hit testing, capture and clicks, hover, focus,
// window dragging and border resizing, keys, Tab traversal, accelerators and
// the wheel.
#include <windowsx.h>

#include <vector>

#include "skin/skin_control_win.h"
#include "skin/skin_engine_win.h"

namespace korvel::skin {

namespace {

bool controlDisabled(const ControlEntry* e) { return e && e->control && e->control->Disabled(); }

}  // namespace

int SkinEngine::HitTest(float x, float y) const {
    if (!record_) return 0;
    std::vector<HitCandidate> candidates;
    candidates.reserve(record_->controls.size());
    for (const ControlEntry& e : record_->controls) {
        // Hidden and inactive controls do not take the pointer from what lies below them.
        const bool live = (e.active & 1) && e.control && e.control->Visible();
        candidates.push_back({e.rect, live ? e.identity : 0});
    }
    for (;;) {
        const int n = hitTest(candidates, x, y);
        if (!n || record_->controls[static_cast<size_t>(n - 1)].control->HitsAt(x, y)) return n;
        candidates[static_cast<size_t>(n - 1)].identity = 0;  // see-through here: look below
    }
}

void SkinEngine::takeKeyboardFocus(HWND hwnd) {
    const HWND current = GetFocus();
    if (current != hwnd) SetFocus(hwnd);
}

// The system's move loop runs until the left button comes up; entered for a
// press that was only sent (no button held, as from automation), it would
// drag the window along until the next click. So it is entered only while
// the button is down in the thread's input state.
void SkinEngine::sendCaptionPress(HWND hwnd) {
    if (GetKeyState(VK_LBUTTON) & 0x8000) SendMessageW(hwnd, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

void SkinEngine::startWindowDrag(HWND hwnd) {
    if (!notDraggable_) sendCaptionPress(hwnd);
}

void SkinEngine::openSystemMenu(int x, int y) {
    if (!hwnd_) return;
    const HWND hwnd = hwnd_;
    sendCaptionPress(hwnd);
    if (!record_) return;
    RECT none{};
    TrackPopupMenu(systemMenu_ ? systemMenu_ : GetSystemMenu(hwnd, FALSE), 0,
                   record_->windowRect.left + x + 5, record_->windowRect.top + y + 10, 0, hwnd,
                   &none);
    sendCaptionPress(hwnd);
}

void SkinEngine::moveFocus(int control, bool fromKeyboard) {
    const int old = focused_;
    if (old != control && old) {
        const ControlEntry* e = FindControlEntry(windowNumber_, old);
        if (e && (e->active & 1)) {
            RepaintControls(old, true, kPaintLostFocus);
            fireControlEvent(focusLost_, old);
        }
    }
    focused_ = control;
    keyboardFocus_ = fromKeyboard;
    if (fromKeyboard) RepaintControls(control, true, kPaintCurrent);
    if (old != control) fireControlEvent(focusGained_, control);
}

LRESULT SkinEngine::DispatchMouse(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                  int* control) {
    if (control) *control = 0;
    if (!record_ || redrawing_ || BorderResize(hwnd, message, lParam)) return 0;
    const int x = GET_X_LPARAM(lParam);
    const int y = GET_Y_LPARAM(lParam);
    if (capture_) {
        const int pressed = pressed_;
        SendToControl(windowNumber_, pressed, hwnd, message, wParam, lParam);
        if (control) *control = pressed;
        if (message == WM_LBUTTONUP) {
            // The press ends before the click is reported, so a click handler
            // that opens a modal loop finds the window idle.
            capture_ = false;
            pressed_ = 0;
            ReleaseCapture();
            if (pressed && HitTest(static_cast<float>(x), static_cast<float>(y)) == pressed) {
                SendToControl(windowNumber_, pressed, hwnd, kNotifyClick, wParam, lParam);
                if (controlIsIcon(pressed)) openSystemMenu(x, y);
                fireControlEvent(click_, pressed);
            }
        }
        return 0;
    }
    const int hit = HitTest(static_cast<float>(x), static_cast<float>(y));
    if (hit != hovered_ && hovered_) {
        const int old = hovered_;
        RepaintControls(old, true, kPaintNormal);
        fireControlEvent(mouseLeave_, old);
    }
    const int previousHover = hovered_;
    hovered_ = hit;
    bool drag = false;
    if (hit) {
        const ControlEntry* e = FindControlEntry(windowNumber_, hit);
        if (message == WM_LBUTTONDOWN) {
            if (e->focusable && !controlDisabled(e)) {
                capture_ = true;
                pressed_ = hit;
                SetCapture(hwnd);
                moveFocus(hit, false);
                takeKeyboardFocus(hwnd);
            } else {
                drag = true;
            }
        }
        SendToControl(windowNumber_, hit, hwnd, message, wParam, lParam);
        e = FindControlEntry(windowNumber_, hit);
        if (e && e->control) {
            const int cursor = e->control->Cursor();
            if (cursor != 0 && cursor != kCursorArrow)
                SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(cursor)));
            if (message == WM_MOUSEMOVE && hit != previousHover) {
                fireControlEvent(mouseEnter_, hit);
                if (!e->control->Tooltip().empty()) e->control->ShowTooltip(e->control->Tooltip());
            }
        }
    } else if (message == WM_LBUTTONDOWN) {
        takeKeyboardFocus(hwnd);
        const ControlEntry* e = FindControlEntry(windowNumber_, focused_);
        if (e && e->kind == kKindDropsFocus) {
            const int old = focused_;
            RepaintControls(old, true, kPaintLostFocus);
            fireControlEvent(focusLost_, old);
            focused_ = 0;
        }
        drag = true;
    }
    if (control) *control = hit;
    if (drag) startWindowDrag(hwnd);
    return 0;
}

bool SkinEngine::BorderResize(HWND hwnd, UINT message, LPARAM lParam) {
    if (notResizable_ || capture_ || Maximized()) return false;
    if (message != WM_MOUSEMOVE && message != WM_LBUTTONDOWN && message != WM_RBUTTONDOWN)
        return false;
    const BorderHit border = borderHit(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), width_, height_);
    if (!border.code) return false;
    SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(border.cursor)));
    if (hovered_) RepaintControls(hovered_, true, kPaintBorder);
    // Like the move loop, the sizing loop needs the button really held.
    if (message == WM_LBUTTONDOWN && (GetKeyState(VK_LBUTTON) & 0x8000))
        SendMessageW(hwnd, WM_SYSCOMMAND, SC_SIZE | static_cast<WPARAM>(border.code), 0);
    return true;
}

LRESULT SkinEngine::OnKeyDown(HWND hwnd, WPARAM key, LPARAM lParam) {
    const ControlEntry* e = FindControlEntry(windowNumber_, focused_);
    if (keyDown_ && keyDown_(hwnd, e ? e->identity : 0, static_cast<int>(key), lParam) != -1)
        return 0;
    if (focused_) SendToControl(windowNumber_, focused_, hwnd, WM_KEYDOWN, key, lParam);
    return 0;
}

LRESULT SkinEngine::OnChar(HWND hwnd, WPARAM character, LPARAM lParam) {
    const ControlEntry* e = FindControlEntry(windowNumber_, focused_);
    if (char_ && char_(hwnd, e ? e->identity : 0, static_cast<int>(character), lParam) != -1)
        return 0;
    if (focused_) SendToControl(windowNumber_, focused_, hwnd, WM_CHAR, character, lParam);
    return 0;
}

void SkinEngine::OnKeyUp(HWND hwnd, WPARAM key, LPARAM lParam) {
    if (!record_) return;
    if (key == VK_TAB && !(GetKeyState(VK_CONTROL) & 0x8000)) {
        std::vector<TabCandidate> candidates;
        for (const ControlEntry& c : record_->controls) {
            candidates.push_back({(c.active & 1) != 0, controlDisabled(&c), c.focusable,
                                  c.kind == kKindCaptionButton, icon_ && c.control == icon_.get()});
        }
        const int next = nextTabStop(candidates, focused_);
        if (!next || next == focused_) return;
        moveFocus(next, true);
        takeKeyboardFocus(hwnd);
        return;
    }
    const ControlEntry* e = FindControlEntry(windowNumber_, focused_);
    if (keyUp_ && keyUp_(hwnd, e ? e->identity : 0, static_cast<int>(key), lParam) != -1) return;
    if (focused_) SendToControl(windowNumber_, focused_, hwnd, WM_KEYUP, key, lParam);
}

bool SkinEngine::onSysKey(HWND hwnd, WPARAM key) {
    if (!record_) return false;
    for (int identity : hotkeys_.Matches(static_cast<int>(key))) {
        int number = 0;
        for (size_t i = 0; i < record_->controls.size(); ++i) {
            if (record_->controls[i].identity == identity) number = static_cast<int>(i + 1);
        }
        const ControlEntry* e = FindControlEntry(windowNumber_, number);
        if (!e || controlDisabled(e)) continue;
        SendToControl(windowNumber_, number, hwnd, kNotifyClick, 0, 0);
        fireControlEvent(click_, number);
        RepaintControls(number, true, kPaintCurrent);
        return true;
    }
    return false;
}

void SkinEngine::OnSysKeyDown(HWND hwnd, WPARAM key, LPARAM) { onSysKey(hwnd, key); }

LRESULT SkinEngine::OnHotkeyMessage(int control, int key) { return hotkeys_.Update(control, key); }

void SkinEngine::SetFocusControl(int control) {
    const ControlEntry* e = FindControlEntry(windowNumber_, control);
    if (!e || controlDisabled(e) || !e->focusable) return;
    const int old = focused_;
    if (old && old != control) {
        const ControlEntry* o = FindControlEntry(windowNumber_, old);
        if (o && (o->active & 1)) RepaintControls(old, true, kPaintLostFocus);
    }
    focused_ = control;
    hovered_ = control;
    RepaintControls(control, true, kPaintCurrent);
}

void SkinEngine::OnMouseWheel(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!record_) return;
    const float x = static_cast<float>(GET_X_LPARAM(lParam) - record_->windowRect.left);
    const float y = static_cast<float>(GET_Y_LPARAM(lParam) - record_->windowRect.top);
    const int hit = HitTest(x, y);
    if (hit) SendToControl(windowNumber_, hit, hwnd, message, wParam, lParam, 0);
}

}  // namespace korvel::skin
