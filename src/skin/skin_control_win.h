// The base of every drawn control. A control has no window handle: it sits
// in the control list of one skinned window, paints itself into that
// window's present buffer when it receives kMsgPaint, and gets the mouse,
// key and timer messages the engine routes to it (see README.md).
#pragma once

#include <windows.h>
// The tooltip messages and records.
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "skin/control_token.h"
#include "skin/gdi_handles_win.h"
#include "skin/skin_geometry.h"
#include "skin/toolkit_messages.h"

namespace korvel::skin {

class SkinEngine;
struct ControlEntry;

// A subroutine bound to one control message: (window, control, wParam, lParam, extra).
using ControlBinding = std::function<void(int, int, WPARAM, LPARAM, int)>;

class SkinControl {
  public:
    SkinControl() = default;
    // A control still registered leaves its window first.
    virtual ~SkinControl();
    SkinControl(const SkinControl&) = delete;
    SkinControl& operator=(const SkinControl&) = delete;

    // The class's message handler. window and control are the numbers the
    // message was sent to; extra is 1 for input from the user (0 for a wheel
    // message or a repaint from the program).
    virtual LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, int window,
                                  int control, int extra) = 0;

    // Whether a point inside the rectangle belongs to the control for hit
    // testing; a control that is see-through in parts lets the pointer pass there.
    virtual bool HitsAt(float /*x*/, float /*y*/) const { return true; }

    // Appends the control to hwnd's control list (nothing when already
    // registered or when hwnd is not skinned). Active bit 0 paints it and
    // lets it receive messages.
    bool Register(HWND hwnd, const RectF& rect, int kind, int active = 1, bool focusable = false,
                  int cursor = kCursorArrow);
    bool IsRegistered() const { return windowNumber_ > 0 && controlNumber_ > 0; }
    int WindowNumber() const { return windowNumber_; }
    int ControlNumber() const { return controlNumber_; }
    HWND Hwnd() const;
    RectF Rectangle() const;
    int Identity() const;
    int Kind() const;

    int Disabled() const { return disabled_; }
    // Stores and repaints; disabling takes hover, press and focus off the control.
    int Disabled(int value);

    int Left() const { return static_cast<int>(Rectangle().x); }
    int Top() const { return static_cast<int>(Rectangle().y); }
    int Width() const { return static_cast<int>(Rectangle().width); }
    int Height() const { return static_cast<int>(Rectangle().height); }
    int Left(int value);
    int Top(int value);
    int Width(int value);
    int Height(int value);

    // Active flags; clearing bit 0 is refused (result 0) when it is already
    // clear, and takes hover, press and focus off the control.
    int Active() const;
    int Active(int flags);

    // Stores the given sides (negative sizes become 0) and, unless redraw is
    // false, shows the control at its new place.
    void Move(std::optional<float> x, std::optional<float> y = std::nullopt,
              std::optional<float> width = std::nullopt, std::optional<float> height = std::nullopt,
              bool redraw = true);
    // Paints the current state (kMsgPaint, state -1) when visible and registered.
    void Repaint();
    // position 0: top of the list; 1: bottom, just above the caption buttons.
    void ZOrder(int position, int flags = 0);

    const std::string& Tooltip() const { return tooltip_; }
    const std::string& Tooltip(const std::string& text, bool update = false);
    // Shows text in the window's tooltip (empty text only hides the current tip).
    virtual void ShowTooltip(const std::string& text);

    // The window's input root has the focus, the pointer or the press on this control.
    bool IsFocused() const;
    bool IsHovered() const;
    bool IsPressed() const;
    bool Focusable() const;
    bool Focusable(bool value);
    // Leaves the window (numbers of later controls shift down).
    bool Remove();
    int Cursor() const { return cursor_; }
    int Cursor(int value) { return cursor_ = value; }
    const std::string& Text() const { return text_; }
    const std::string& Text(const std::string& value) { return text_ = value; }
    bool Visible() const { return visible_; }
    // Hiding takes hover, press and focus off the control.
    bool Visible(bool value);
    void Hide() { Visible(false); }
    void Show() { Visible(true); }

    // The one gate of every repaint path (ticks included): registered,
    // active (bit 0) and visible.
    bool CanPaint() const;
    // What may be hovered, pressed, focused or clicked by an accelerator:
    // it can paint and is not disabled.
    bool CanReceiveInput() const { return CanPaint() && !disabled_; }
    // Stays with the control while its number shifts; input state, timers,
    // the tooltip tool and the accelerator are keyed by it. New for every Register.
    ControlToken Token() const { return token_; }

    // Replaces the subroutine bound to message, or adds a binding.
    void BindEvent(unsigned message, ControlBinding subroutine);
    // Calls the subroutine bound to message; false when there is none.
    bool CallBinding(unsigned message, int window, int control, WPARAM wParam, LPARAM lParam,
                     int extra) const;
    size_t BindingCount() const { return bindings_.size(); }

    // The value events report as the control's tag; the object's address by default.
    std::intptr_t Tag() const { return tag_ ? tag_ : reinterpret_cast<std::intptr_t>(this); }
    void SetTag(std::intptr_t tag) { tag_ = tag; }

    // The engine of the control's window, nullptr when unregistered.
    SkinEngine* Engine() const;
    ControlEntry* Entry() const;

  protected:
    // Partial repaint: the background under the control is restored, the
    // controls below it repaint, and the returned Graphics (the present
    // buffer, clipped to the control) is the one to draw into. Null when the
    // control cannot paint now; EndRepaint must follow a non-null Begin.
    GpGraphics* BeginRepaint();
    // immediate: show the result at once even when the window fades controls.
    void EndRepaint(bool immediate = false);
    // One tick of the standard 51-step fade: at 255 the timer stops (alpha
    // becomes 0), below it alpha rises by 51 and the control is blended on.
    void FadeTick(int& fadeAlpha, WPARAM timerId);
    // The press filter of the pressable faces (push_state.h) for a message
    // to this control: false for messages that leave its face as it is.
    bool AcceptsFaceInput(unsigned message, int extra, unsigned lastMessage,
                          bool pressedHere) const;

  private:
    friend class SkinEngine;
    friend void RemoveWindowRecord(int number);

    int disabled_ = 0;
    int windowNumber_ = 0;
    int controlNumber_ = 0;
    std::string tooltip_;
    int cursor_ = kCursorArrow;
    std::string text_;
    RectF rect_;
    std::intptr_t tag_ = 0;
    std::vector<std::pair<unsigned, ControlBinding>> bindings_;
    bool visible_ = false;
    bool toolAdded_ = false;  // the tooltip tool (id = token) is in the window's tooltip
    ControlToken token_ = kNoControl;
};

// Calls the class handler of a control and then its binding for the
// message. Unless force bit 0 is set the control must be active (bit 0) and
// visible. Invalid numbers do nothing and give 0.
LRESULT SendToControl(int window, int control, HWND hwnd, UINT message, WPARAM wParam,
                      LPARAM lParam, int extra = 1, int force = 0);

}  // namespace korvel::skin
