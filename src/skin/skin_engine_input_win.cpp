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

void SkinEngine::changeFocus(int control, bool fromKeyboard, unsigned steps) {
    const int old = focused_;
    const bool wasKeyboard = keyboardFocus_;
    focused_ = control;
    keyboardFocus_ = fromKeyboard;
    if (old == control && wasKeyboard == fromKeyboard) return;
    const ControlEntry* lost = old != control ? FindControlEntry(windowNumber_, old) : nullptr;
    const bool oldActive = lost && (lost->active & 1);
    if ((steps & kRepaintOld) && oldActive) RepaintControls(old, true, kPaintLostFocus);
    if ((steps & kRepaintNew) && control) RepaintControls(control, true, kPaintCurrent);
    if (!(steps & kFocusEvents) || old == control) return;
    if (oldActive) fireControlEvent(focusLost_, old);
    if (control) fireControlEvent(focusGained_, control);
}

void SkinEngine::setHovered(int control, bool notify, long leaveState) {
    const int old = hovered_;
    hovered_ = control;
    if (!old || old == control || !notify) return;
    RepaintControls(old, true, leaveState);
    fireControlEvent(mouseLeave_, old);
}

void SkinEngine::beginPress(HWND hwnd, int control) {
    capture_ = true;
    pressed_ = control;
    SetCapture(hwnd);
}

void SkinEngine::endPress(bool release) {
    // Cleared before ReleaseCapture, whose WM_CAPTURECHANGED comes back here.
    capture_ = false;
    pressed_ = 0;
    if (release) ReleaseCapture();
}

void SkinEngine::ControlLeftInput(int control) {
    if (!record_ || control <= 0) return;
    if (capture_ && pressed_ == control) endPress(true);
    if (hovered_ == control) setHovered(0, true);
    if (focused_ == control) changeFocus(0, keyboardFocus_, kFocusEvents);
}

bool SkinEngine::DispatchMouse(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                               int* control) {
    if (control) *control = 0;
    if (!record_ || redrawing_) return false;
    if (BorderResize(hwnd, message, lParam)) return true;
    const int x = GET_X_LPARAM(lParam);
    const int y = GET_Y_LPARAM(lParam);
    if (capture_) {
        const int pressed = pressed_;
        SendToControl(windowNumber_, pressed, hwnd, message, wParam, lParam);
        if (control) *control = pressed;
        if (message == WM_LBUTTONUP) {
            // The press ends before the click is reported, so a click handler
            // that opens a modal loop finds the window idle.
            endPress(true);
            if (pressed && HitTest(static_cast<float>(x), static_cast<float>(y)) == pressed) {
                SendToControl(windowNumber_, pressed, hwnd, kNotifyClick, wParam, lParam);
                if (controlIsIcon(pressed)) openSystemMenu(x, y);
                fireControlEvent(click_, pressed);
            }
        }
        return true;
    }
    const int hit = HitTest(static_cast<float>(x), static_cast<float>(y));
    const int previousHover = hovered_;
    setHovered(hit, true);
    bool drag = false;
    if (hit) {
        const ControlEntry* e = FindControlEntry(windowNumber_, hit);
        if (message == WM_LBUTTONDOWN) {
            if (e->focusable && !controlDisabled(e)) {
                beginPress(hwnd, hit);
                changeFocus(hit, false, kRepaintOld | kFocusEvents);
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
        if (e && e->kind == kKindDropsFocus)
            changeFocus(0, keyboardFocus_, kRepaintOld | kFocusEvents);
        drag = true;
    }
    if (control) *control = hit;
    if (drag) startWindowDrag(hwnd);
    return hit != 0;
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

bool SkinEngine::OnKeyDown(HWND hwnd, WPARAM key, LPARAM lParam) {
    const ControlEntry* e = FindControlEntry(windowNumber_, focused_);
    if (keyDown_ && keyDown_(hwnd, e ? e->identity : 0, static_cast<int>(key), lParam) != -1)
        return true;
    if (focused_) SendToControl(windowNumber_, focused_, hwnd, WM_KEYDOWN, key, lParam);
    return false;
}

bool SkinEngine::OnChar(HWND hwnd, WPARAM character, LPARAM lParam) {
    const ControlEntry* e = FindControlEntry(windowNumber_, focused_);
    if (char_ && char_(hwnd, e ? e->identity : 0, static_cast<int>(character), lParam) != -1)
        return true;
    if (focused_) SendToControl(windowNumber_, focused_, hwnd, WM_CHAR, character, lParam);
    return false;
}

bool SkinEngine::OnKeyUp(HWND hwnd, WPARAM key, LPARAM lParam) {
    if (!record_) return false;
    if (key == VK_TAB && !(GetKeyState(VK_CONTROL) & 0x8000)) {
        std::vector<TabCandidate> candidates;
        for (int i = 1; i <= static_cast<int>(record_->controls.size()); ++i) {
            const ControlEntry& c = record_->controls[static_cast<size_t>(i - 1)];
            const IntRect bounds = ControlBounds(i);
            const bool seen =
                c.control && c.control->Visible() && bounds.width > 0 && bounds.height > 0;
            candidates.push_back({(c.active & 1) != 0, controlDisabled(&c), c.focusable,
                                  c.kind == kKindCaptionButton, icon_ && c.control == icon_.get(),
                                  seen});
        }
        const int next = nextTabStop(candidates, focused_);
        if (!next) return true;
        changeFocus(next, true, kRepaintOld | kRepaintNew | kFocusEvents);
        takeKeyboardFocus(hwnd);
        return true;
    }
    const ControlEntry* e = FindControlEntry(windowNumber_, focused_);
    if (keyUp_ && keyUp_(hwnd, e ? e->identity : 0, static_cast<int>(key), lParam) != -1)
        return true;
    if (focused_) SendToControl(windowNumber_, focused_, hwnd, WM_KEYUP, key, lParam);
    return false;
}

bool SkinEngine::OnSysKeyDown(HWND hwnd, WPARAM key, LPARAM) {
    if (!record_) return false;
    for (std::uint32_t token : hotkeys_.Matches(static_cast<int>(key))) {
        const int number = numberOfToken(token);
        const ControlEntry* e = FindControlEntry(windowNumber_, number);
        if (!e || !e->control || !e->control->CanReceiveInput()) continue;
        SendToControl(windowNumber_, number, hwnd, kNotifyClick, 0, 0);
        fireControlEvent(click_, number);
        RepaintControls(number, true, kPaintCurrent);
        return true;
    }
    return false;
}

LRESULT SkinEngine::OnHotkeyMessage(int control, int key) {
    const ControlEntry* e = FindControlEntry(windowNumber_, control);
    if (!e || !e->control) return 0;
    return hotkeys_.Update(e->control->Token(), key);
}

void SkinEngine::SetFocusControl(int control) {
    const ControlEntry* e = FindControlEntry(windowNumber_, control);
    if (!e || !e->control || !e->control->CanReceiveInput() || !e->focusable) return;
    setHovered(control, false);
    changeFocus(control, keyboardFocus_, kRepaintOld | kRepaintNew);
}

bool SkinEngine::OnMouseWheel(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!record_) return false;
    const float x = static_cast<float>(GET_X_LPARAM(lParam) - record_->windowRect.left);
    const float y = static_cast<float>(GET_Y_LPARAM(lParam) - record_->windowRect.top);
    const int hit = HitTest(x, y);
    if (hit) SendToControl(windowNumber_, hit, hwnd, message, wParam, lParam, 0);
    return hit != 0;
}

}  // namespace korvel::skin
