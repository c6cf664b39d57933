// What Button, TabButton and ProgressBar share: the message sequence of a
// pressable face. WM_DESTROY lets the class free what it holds, the fade
// timer steps the fade, the class's own messages come next, and then the
// paint and mouse messages that pass the press filter (push_state.h) repaint
// the face and are remembered as the last message. The face is drawn for
// where the window's input root has the pointer, not for the message; the
// root alone presses, releases and activates (kNotifyClick). A class adds
// only its drawing and its own reactions.
#pragma once

#include "skin/push_state.h"
#include "skin/skin_control_win.h"

namespace korvel::skin {

class PressableControl : public SkinControl {
  public:
    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, int window,
                          int control, int extra) final;

    UINT LastMessage() const { return lastMessage_; }
    int FadeAlpha() const { return fadeAlpha_; }
    // Face drawings since Create; repeated input that changes nothing leaves it alone.
    int PaintCount() const { return paintCount_; }

  protected:
    // A new Create starts with no last message and no fade.
    void ResetPressable();
    // WM_DESTROY: free fonts and pictures.
    virtual void OnDestroy() {}
    // The class's own messages, before the face filter; true ends the message there.
    virtual bool HandleOwn(HWND, UINT, WPARAM, LPARAM, int /*window*/, int /*control*/,
                           int /*extra*/) {
        return false;
    }
    // Draws the face into g with the pointer where the input root has it
    // (paintState: the lParam of a paint, else -1); returns the alpha its
    // fade starts from.
    virtual int PaintFace(GpGraphics* g, Pointer pointer, long paintState) = 0;

  private:
    UINT lastMessage_ = 0;
    int fadeAlpha_ = 0;
    int paintCount_ = 0;
};

}  // namespace korvel::skin
