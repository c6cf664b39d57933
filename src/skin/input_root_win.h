// The input root of one skinned window. It alone writes the window's
// interaction state (the hovered, pressed and focused control, the capture
// and keyboard-focus flags, the accelerators), each part through one
// transition, and every mouse and key message of the window passes through
// it: hit testing, capture and clicks, hover, focus and Tab, window dragging
// and border resizing, accelerators and the wheel. State is kept by control
// token, so it stays with its control while numbers shift. Controls only
// read it (SkinControl::IsHovered, IsPressed, IsFocused). UI thread only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "skin/control_token.h"
#include "skin/hotkey_list.h"
#include "skin/toolkit_messages.h"

namespace korvel::skin {

class SkinControl;
class SkinEngine;
struct ControlEntry;

// Control events get (hwnd, identity, tag, kind).
using ControlEvent = std::function<void(HWND, int, std::intptr_t, int)>;
// Key events get (hwnd, focused identity, key or character, lParam) and
// consume the key by returning anything but -1.
using KeyEvent = std::function<int(HWND, int, int, LPARAM)>;

// The engine's events that input raises; the engine's event operations set them.
struct InputEvents {
    ControlEvent mouseEnter, mouseLeave, leftDown, leftUp, click, rightDown, rightUp, doubleClick,
        focusGained, focusLost;
    KeyEvent keyDown, keyUp, character;
};

// Why a control leaves input.
enum class LeaveReason {
    CannotTakeInput,  // disabled, hidden or deactivated
    Removed           // leaving its window
};

class InputRoot {
  public:
    explicit InputRoot(SkinEngine& host) : host_(host) {}
    InputRoot(const InputRoot&) = delete;
    InputRoot& operator=(const InputRoot&) = delete;

    // Handled or pass on: true when the message ends here with result.
    // WM_MOUSELEAVE, WM_ACTIVATE, WM_KILLFOCUS and WM_CAPTURECHANGED only
    // update the state and pass on.
    bool OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    ControlToken Hovered() const { return hovered_; }
    ControlToken Pressed() const { return pressed_; }
    ControlToken Focused() const { return focused_; }
    // A control holds the mouse.
    bool HasCapture() const { return capture_; }
    // Tab moved the focus last (a press clears it): the focus rectangle shows.
    bool KeyboardFocus() const { return keyboardFocus_; }
    const HotkeyList& Hotkeys() const { return hotkeys_; }
    InputEvents& Events() { return events_; }

    // The control under a window point: the last in the list that can paint
    // and takes the point; kNoControl when none.
    ControlToken HitTest(float x, float y) const;

    // Focus by the program: ignored unless the control can take input and is
    // focusable; it also becomes the hovered control.
    void SetFocusControl(ControlToken control);
    // The one activation, for a click (press and release on the control),
    // an accelerator and the program's Enter or Space: the control hears
    // kNotifyClick (with wParam and lParam), the icon opens the system menu
    // at the point in lParam, and the Click event reports it. False, doing
    // nothing, when the control cannot take input.
    bool Activate(ControlToken control, WPARAM wParam = 0, LPARAM lParam = 0);
    // The one way out of input: the control loses hover, press, capture and
    // focus (FocusLost is still raised). A control that cannot take input
    // any more repaints with the pointer gone and hears MouseLeave; one that
    // is removed ends any press (the capture is the window's), is not
    // repainted and takes its accelerator along.
    void LeaveInput(ControlToken control, LeaveReason why);
    // The window is going: all state is dropped without repaints or events.
    void Reset();

  private:
    // The only writers of the state, one each.
    enum FocusSteps : unsigned {
        kRepaintOld = 1,  // the control that loses the focus gets state 2
        kRepaintNew = 2,  // the control that gains it gets state -1
        kFocusEvents = 4  // FocusLost, then FocusGained
    };
    // Sets the focus and the keyboard flag first, so both repaints draw the
    // new state (one dotted rectangle at most), then repaints, then events.
    void changeFocus(ControlToken control, bool fromKeyboard, unsigned steps);
    // The old hovered control, when another, is repainted with leaveState
    // and hears MouseLeave (with notify).
    void setHovered(ControlToken control, bool notify, long leaveState = kPaintNormal);
    void beginPress(HWND hwnd, ControlToken control);
    // release: give the mouse back (not when the system already took it).
    void endPress(bool release);

    bool mouseMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool keyMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void focusMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Handled when a control received the message or a resize border took it.
    bool dispatchMouse(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                       ControlToken* control);
    bool capturedMouse(UINT message, WPARAM wParam, LPARAM lParam);
    // A message to the control under the pointer; true when it asks for a window drag.
    bool pointerOnControl(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, ControlToken hit,
                          ControlToken previousHover);
    bool onLeftDown(HWND hwnd, WPARAM wParam, LPARAM lParam);
    void onMouseLeave();
    bool borderResize(HWND hwnd, UINT message, LPARAM lParam);
    bool onKey(HWND hwnd, UINT message, const KeyEvent& event, WPARAM key, LPARAM lParam);
    bool tabToNext(HWND hwnd);
    bool onSysKeyDown(WPARAM key);
    LRESULT onHotkeyMessage(int control, int key);
    bool onMouseWheel(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    void takeKeyboardFocus(HWND hwnd);
    void startWindowDrag(HWND hwnd);
    void sendCaptionPress(HWND hwnd);
    void openSystemMenu(int x, int y);

    // Lookups from a token in the window's list; 0 or nullptr when it is not there.
    int numberOf(ControlToken control) const;
    const ControlEntry* entryOf(ControlToken control) const;
    ControlToken tokenAt(int number) const;
    bool isIcon(ControlToken control) const;
    LRESULT send(ControlToken control, UINT message, WPARAM wParam, LPARAM lParam,
                 int extra = 1) const;
    void repaint(ControlToken control, long state) const;
    void fire(const ControlEvent& event, ControlToken control) const;

    SkinEngine& host_;
    ControlToken hovered_ = kNoControl;
    ControlToken pressed_ = kNoControl;
    ControlToken focused_ = kNoControl;
    bool capture_ = false;
    bool keyboardFocus_ = false;
    bool trackingLeave_ = false;  // TrackMouseEvent asked for the WM_MOUSELEAVE
    HotkeyList hotkeys_;
    InputEvents events_;
};

}  // namespace korvel::skin
