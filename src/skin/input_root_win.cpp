// The input root: the transitions of the interaction state first, then the
// routing of a window's mouse and key messages that ends in them.
#include "skin/input_root_win.h"

#include <windowsx.h>

#include <vector>

#include "skin/skin_control_win.h"
#include "skin/skin_engine_win.h"

namespace korvel::skin {

namespace {

constexpr WPARAM kDoubleClickMarker = 10086;  // WM_LBUTTONDOWN re-sent for a double click
constexpr int kCaptionBandHeight = 24;

bool leftButtonHeld() { return (GetKeyState(VK_LBUTTON) & 0x8000) != 0; }

}  // namespace

int InputRoot::numberOf(ControlToken control) const {
    return FindControlNumber(host_.WindowNumber(), control);
}

const ControlEntry* InputRoot::entryOf(ControlToken control) const {
    return FindControlEntry(host_.WindowNumber(), numberOf(control));
}

ControlToken InputRoot::tokenAt(int number) const {
    const ControlEntry* e = FindControlEntry(host_.WindowNumber(), number);
    return e && e->control ? e->control->Token() : kNoControl;
}

bool InputRoot::isIcon(ControlToken control) const {
    const SkinControl* icon = host_.IconControl();
    return control != kNoControl && icon && icon->Token() == control;
}

LRESULT InputRoot::send(ControlToken control, UINT message, WPARAM wParam, LPARAM lParam,
                        int extra) const {
    return SendToControl(host_.WindowNumber(), numberOf(control), host_.Hwnd(), message, wParam,
                         lParam, extra);
}

void InputRoot::repaint(ControlToken control, long state) const {
    host_.RepaintControls(numberOf(control), true, state);
}

void InputRoot::fire(const ControlEvent& event, ControlToken control) const {
    if (!event) return;
    const ControlEntry* e = entryOf(control);
    if (!e || !e->control) return;
    event(host_.Hwnd(), e->identity, e->control->Tag(), e->kind);
}

void InputRoot::changeFocus(ControlToken control, bool fromKeyboard, unsigned steps) {
    const ControlToken old = focused_;
    const bool wasKeyboard = keyboardFocus_;
    focused_ = control;
    keyboardFocus_ = fromKeyboard;
    if (old == control && wasKeyboard == fromKeyboard) return;
    // A control deactivated (Active without bit 0) is neither repainted nor told.
    const ControlEntry* lost = old != control ? entryOf(old) : nullptr;
    const bool oldActive = lost && (lost->active & 1);
    if ((steps & kRepaintOld) && oldActive) repaint(old, kPaintLostFocus);
    if ((steps & kRepaintNew) && control != kNoControl) repaint(control, kPaintCurrent);
    if (!(steps & kFocusEvents) || old == control) return;
    if (oldActive) fire(events_.focusLost, old);
    if (control != kNoControl) fire(events_.focusGained, control);
}

void InputRoot::setHovered(ControlToken control, bool notify, long leaveState) {
    const ControlToken old = hovered_;
    hovered_ = control;
    if (old == kNoControl || old == control || !notify) return;
    repaint(old, leaveState);
    fire(events_.mouseLeave, old);
}

void InputRoot::beginPress(HWND hwnd, ControlToken control) {
    capture_ = true;
    pressed_ = control;
    SetCapture(hwnd);
}

void InputRoot::endPress(bool release) {
    // Cleared before ReleaseCapture, whose WM_CAPTURECHANGED comes back here.
    capture_ = false;
    pressed_ = kNoControl;
    if (release) ReleaseCapture();
}

void InputRoot::LeaveInput(ControlToken control, LeaveReason why) {
    if (control == kNoControl) return;
    const bool removed = why == LeaveReason::Removed;
    if (capture_ && (removed || pressed_ == control)) endPress(true);
    if (hovered_ == control) setHovered(kNoControl, !removed);
    // The control shows no focus now whatever it draws: only the events.
    if (focused_ == control) changeFocus(kNoControl, keyboardFocus_, kFocusEvents);
    if (removed) hotkeys_.Update(control, 0);
}

void InputRoot::Reset() {
    keyboardFocus_ = false;
    hotkeys_.Clear();
    setHovered(kNoControl, false);
    changeFocus(kNoControl, false, 0);
    if (capture_) endPress(true);
    trackingLeave_ = false;
}

void InputRoot::SetFocusControl(ControlToken control) {
    const ControlEntry* e = entryOf(control);
    if (!e || !e->control || !e->control->CanReceiveInput() || !e->focusable) return;
    setHovered(control, false);
    changeFocus(control, keyboardFocus_, kRepaintOld | kRepaintNew);
}

bool InputRoot::Activate(ControlToken control, WPARAM wParam, LPARAM lParam) {
    const ControlEntry* e = entryOf(control);
    if (!e || !e->control || !e->control->CanReceiveInput()) return false;
    send(control, kNotifyClick, wParam, lParam);
    if (isIcon(control)) openSystemMenu(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    fire(events_.click, control);
    return true;
}

ControlToken InputRoot::HitTest(float x, float y) const {
    const SkinWindowRecord* record = host_.Record();
    if (!record) return kNoControl;
    std::vector<HitCandidate> candidates;
    candidates.reserve(record->controls.size());
    for (const ControlEntry& e : record->controls) {
        // What cannot paint does not take the pointer from what lies below it.
        const bool live = e.control && e.control->CanPaint();
        candidates.push_back({e.rect, live ? e.identity : 0});
    }
    for (;;) {
        const int n = hitTest(candidates, x, y);
        if (!n) return kNoControl;
        const SkinControl* c = record->controls[static_cast<size_t>(n - 1)].control;
        if (c->HitsAt(x, y)) return c->Token();
        candidates[static_cast<size_t>(n - 1)].identity = 0;  // see-through here: look below
    }
}

bool InputRoot::OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (message) {
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_MOUSEWHEEL:
        case WM_MOUSELEAVE:
            return mouseMessage(hwnd, message, wParam, lParam);
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_CHAR:
        case WM_SYSKEYDOWN:
            return keyMessage(hwnd, message, wParam, lParam);
        case WM_ACTIVATE:
        case WM_KILLFOCUS:
        case WM_CAPTURECHANGED:
            focusMessage(hwnd, message, wParam, lParam);
            return false;
        case kMsgHotkey:
            result = onHotkeyMessage(static_cast<int>(wParam), static_cast<int>(lParam));
            return true;
        default:
            return false;
    }
}

// What the engine handled ends here; the rest (the pointer over no control,
// the mouse leaving) goes on to the hook and the previous procedure.
bool InputRoot::mouseMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    ControlToken control = kNoControl;
    switch (message) {
        case WM_MOUSEMOVE:
            if (!trackingLeave_) {
                TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd, 0};
                trackingLeave_ = TrackMouseEvent(&track) != FALSE;
            }
            return dispatchMouse(hwnd, message, wParam, lParam, &control);
        case WM_LBUTTONDOWN:
            return onLeftDown(hwnd, wParam, lParam);
        case WM_LBUTTONUP:
        case WM_RBUTTONUP: {
            const bool handled = dispatchMouse(hwnd, message, wParam, lParam, &control);
            fire(message == WM_LBUTTONUP ? events_.leftUp : events_.rightUp, control);
            return handled;
        }
        case WM_LBUTTONDBLCLK:
            SendMessageW(hwnd, WM_LBUTTONDOWN, kDoubleClickMarker, lParam);
            return true;
        case WM_RBUTTONDOWN: {
            const bool handled = dispatchMouse(hwnd, message, wParam, lParam, &control);
            if (isIcon(control)) openSystemMenu(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            fire(events_.rightDown, control);
            return handled;
        }
        case WM_MOUSEWHEEL:
            return onMouseWheel(hwnd, message, wParam, lParam);
        case WM_MOUSELEAVE:
            onMouseLeave();
            return false;
        default:
            return false;
    }
}

bool InputRoot::dispatchMouse(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                              ControlToken* control) {
    *control = kNoControl;
    if (!host_.Record() || host_.IsRedrawing()) return false;
    if (borderResize(hwnd, message, lParam)) return true;
    if (capture_) {
        *control = pressed_;
        return capturedMouse(message, wParam, lParam);
    }
    const ControlToken hit =
        HitTest(static_cast<float>(GET_X_LPARAM(lParam)), static_cast<float>(GET_Y_LPARAM(lParam)));
    const ControlToken previousHover = hovered_;
    setHovered(hit, true);
    bool drag = false;
    if (hit != kNoControl) {
        drag = pointerOnControl(hwnd, message, wParam, lParam, hit, previousHover);
    } else if (message == WM_LBUTTONDOWN) {
        takeKeyboardFocus(hwnd);
        const ControlEntry* e = entryOf(focused_);
        if (e && e->kind == kKindDropsFocus)
            changeFocus(kNoControl, keyboardFocus_, kRepaintOld | kFocusEvents);
        drag = true;
    }
    *control = hit;
    if (drag) startWindowDrag(hwnd);
    return hit != kNoControl;
}

bool InputRoot::capturedMouse(UINT message, WPARAM wParam, LPARAM lParam) {
    const ControlToken pressed = pressed_;
    send(pressed, message, wParam, lParam);
    if (message != WM_LBUTTONUP) return true;
    // The press ends before the click is reported, so a click handler that
    // opens a modal loop finds the window idle.
    endPress(true);
    const float x = static_cast<float>(GET_X_LPARAM(lParam));
    const float y = static_cast<float>(GET_Y_LPARAM(lParam));
    if (pressed != kNoControl && HitTest(x, y) == pressed) Activate(pressed, wParam, lParam);
    return true;
}

bool InputRoot::pointerOnControl(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                 ControlToken hit, ControlToken previousHover) {
    bool drag = false;
    if (message == WM_LBUTTONDOWN) {
        const ControlEntry* e = entryOf(hit);
        if (e && e->focusable && e->control->CanReceiveInput()) {
            beginPress(hwnd, hit);
            changeFocus(hit, false, kRepaintOld | kFocusEvents);
            takeKeyboardFocus(hwnd);
        } else {
            drag = true;
        }
    }
    send(hit, message, wParam, lParam);
    const ControlEntry* e = entryOf(hit);
    if (!e || !e->control) return drag;
    SkinControl* c = e->control;
    const int cursor = c->Cursor();
    if (cursor != 0 && cursor != kCursorArrow)
        SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(cursor)));
    if (message == WM_MOUSEMOVE && hit != previousHover) {
        fire(events_.mouseEnter, hit);
        if (!c->Tooltip().empty()) c->ShowTooltip(c->Tooltip());
    }
    return drag;
}

bool InputRoot::onLeftDown(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    ControlToken control = kNoControl;
    const bool handled = dispatchMouse(hwnd, WM_LBUTTONDOWN, wParam, lParam, &control);
    if (control != kNoControl) {
        if (wParam == kDoubleClickMarker) {
            send(control, WM_LBUTTONDBLCLK, wParam, lParam);
            fire(events_.doubleClick, control);
        } else {
            fire(events_.leftDown, control);
        }
        return handled;
    }
    // A double click on the caption band toggles maximize when the window has that button.
    if (wParam == kDoubleClickMarker && GET_Y_LPARAM(lParam) <= kCaptionBandHeight &&
        (host_.CaptionFlags() & kCaptionMaximize)) {
        sendCaptionPress(hwnd);
        PostMessageW(hwnd, WM_SYSCOMMAND, IsZoomed(hwnd) ? SC_RESTORE : SC_MAXIMIZE, 0);
        sendCaptionPress(hwnd);
        return true;
    }
    return handled;
}

void InputRoot::onMouseLeave() {
    trackingLeave_ = false;
    setHovered(kNoControl, true);
    // A control being pressed keeps the mouse: its release must still arrive.
    if (!capture_) ReleaseCapture();
}

bool InputRoot::borderResize(HWND hwnd, UINT message, LPARAM lParam) {
    if (host_.NotResizable() || capture_ || host_.Maximized()) return false;
    if (message != WM_MOUSEMOVE && message != WM_LBUTTONDOWN && message != WM_RBUTTONDOWN)
        return false;
    const BorderHit border =
        borderHit(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), host_.Width(), host_.Height());
    if (!border.code) return false;
    SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(border.cursor)));
    if (hovered_ != kNoControl) repaint(hovered_, kPaintBorder);
    // Like the move loop, the sizing loop needs the button really held.
    if (message == WM_LBUTTONDOWN && leftButtonHeld())
        SendMessageW(hwnd, WM_SYSCOMMAND, SC_SIZE | static_cast<WPARAM>(border.code), 0);
    return true;
}

bool InputRoot::onMouseWheel(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    const SkinWindowRecord* record = host_.Record();
    if (!record) return false;
    const float x = static_cast<float>(GET_X_LPARAM(lParam) - record->windowRect.left);
    const float y = static_cast<float>(GET_Y_LPARAM(lParam) - record->windowRect.top);
    const ControlToken hit = HitTest(x, y);
    if (hit != kNoControl) send(hit, message, wParam, lParam, 0);
    return hit != kNoControl;
}

// Handled when an event consumed the key, Tab moved the focus or an
// accelerator clicked; keys nothing took and Alt keys no accelerator
// matched go on to the hook and the previous procedure.
bool InputRoot::keyMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_KEYDOWN:
            return onKey(hwnd, message, events_.keyDown, wParam, lParam);
        case WM_CHAR:
            return onKey(hwnd, message, events_.character, wParam, lParam);
        case WM_KEYUP:
            if (wParam == VK_TAB && !(GetKeyState(VK_CONTROL) & 0x8000)) return tabToNext(hwnd);
            return onKey(hwnd, message, events_.keyUp, wParam, lParam);
        case WM_SYSKEYDOWN:
            // A matched accelerator is consumed, so the system does not beep for it.
            return onSysKeyDown(wParam);
        default:
            return false;
    }
}

bool InputRoot::onKey(HWND hwnd, UINT message, const KeyEvent& event, WPARAM key, LPARAM lParam) {
    const ControlEntry* e = entryOf(focused_);
    if (event && event(hwnd, e ? e->identity : 0, static_cast<int>(key), lParam) != -1) return true;
    if (focused_ != kNoControl) send(focused_, message, key, lParam);
    return false;
}

bool InputRoot::tabToNext(HWND hwnd) {
    const SkinWindowRecord* record = host_.Record();
    if (!record) return false;
    std::vector<TabCandidate> candidates;
    for (int i = 1; i <= static_cast<int>(record->controls.size()); ++i) {
        const ControlEntry& c = record->controls[static_cast<size_t>(i - 1)];
        const IntRect bounds = host_.ControlBounds(i);
        const bool takesInput = c.control && c.control->CanReceiveInput();
        candidates.push_back({takesInput, c.focusable, c.kind == kKindCaptionButton,
                              c.control && isIcon(c.control->Token()),
                              bounds.width > 0 && bounds.height > 0});
    }
    const int next = nextTabStop(candidates, numberOf(focused_));
    if (!next) return true;
    changeFocus(tokenAt(next), true, kRepaintOld | kRepaintNew | kFocusEvents);
    takeKeyboardFocus(hwnd);
    return true;
}

bool InputRoot::onSysKeyDown(WPARAM key) {
    for (ControlToken control : hotkeys_.Matches(static_cast<int>(key))) {
        if (!Activate(control)) continue;
        // No mouse message follows to give the face its look back.
        repaint(control, kPaintCurrent);
        return true;
    }
    return false;
}

LRESULT InputRoot::onHotkeyMessage(int control, int key) {
    const ControlToken token = tokenAt(control);
    if (token == kNoControl) return 0;
    return hotkeys_.Update(token, key);
}

void InputRoot::focusMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ACTIVATE:
            if (focused_ == kNoControl) return;
            if (LOWORD(wParam) != WA_INACTIVE) {
                repaint(focused_, kPaintCurrent);
                fire(events_.focusGained, focused_);
            } else {
                repaint(focused_, kPaintLostFocus);
                fire(events_.focusLost, focused_);
            }
            return;
        case WM_KILLFOCUS:
            // The keyboard went to a child window of this one.
            if (focused_ != kNoControl && GetActiveWindow() == hwnd)
                changeFocus(kNoControl, keyboardFocus_, kRepaintOld | kFocusEvents);
            return;
        case WM_CAPTURECHANGED:
            // Another window took the mouse from a pressed control: the press
            // ends without a click. A capture merely dropped (no new owner,
            // as Wine does when the X focus moves between windows) leaves the
            // press to its button-up, which still arrives here.
            if (capture_ && lParam != 0 && reinterpret_cast<HWND>(lParam) != hwnd) {
                const ControlToken pressed = pressed_;
                endPress(false);
                repaint(pressed, kPaintLostFocus);
            }
            return;
        default:
            return;
    }
}

void InputRoot::takeKeyboardFocus(HWND hwnd) {
    if (GetFocus() != hwnd) ::SetFocus(hwnd);
}

// The system's move loop runs until the left button comes up; entered for a
// press that was only sent (no button held, as from automation), it would
// drag the window along until the next click. So it is entered only while
// the button is down in the thread's input state.
void InputRoot::sendCaptionPress(HWND hwnd) {
    if (leftButtonHeld()) SendMessageW(hwnd, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

void InputRoot::startWindowDrag(HWND hwnd) {
    if (!host_.NotDraggable()) sendCaptionPress(hwnd);
}

void InputRoot::openSystemMenu(int x, int y) {
    const HWND hwnd = host_.Hwnd();
    if (!hwnd) return;
    sendCaptionPress(hwnd);
    const SkinWindowRecord* record = host_.Record();
    if (!record) return;
    RECT none{};
    const HMENU menu = host_.SystemMenu() ? host_.SystemMenu() : GetSystemMenu(hwnd, FALSE);
    TrackPopupMenu(menu, 0, record->windowRect.left + x + 5, record->windowRect.top + y + 10, 0,
                   hwnd, &none);
    sendCaptionPress(hwnd);
}

}  // namespace korvel::skin
