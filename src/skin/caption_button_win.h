// The buttons in the top-right corner of a skinned window: close,
// maximize/restore, minimize and four buttons whose meaning belongs to the
// program. The engine makes them from the caption flags; each draws a cell of
// the shared sprite, fades between normal, hover and pressed, and carries out
// close, maximize/restore and minimize itself.
#pragma once

#include "skin/skin_control_win.h"

namespace korvel::skin {

class CaptionButton : public SkinControl {
  public:
    // Registers the button (kind tag 1, focusable) and paints it when visible.
    // Returns the control number (0 when hwnd is not skinned).
    int Create(HWND hwnd, int x, int y, int width, int height, unsigned kind, bool visible = true);
    // 4 close, 8 maximize/restore, 16 minimize, 32, 64, 128, 256 program buttons.
    unsigned ButtonKind() const { return kind_; }
    UINT LastMessage() const { return lastMessage_; }
    int FadeAlpha() const { return fadeAlpha_; }

    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, int window,
                          int control, int extra) override;

  private:
    enum class Look { Normal = 0, Hover = 1, Pressed = 2 };
    void paint(HWND hwnd, Look look, int startAlpha);

    UINT lastMessage_ = 0;
    int fadeAlpha_ = 0;
    unsigned kind_ = 0;
};

}  // namespace korvel::skin
