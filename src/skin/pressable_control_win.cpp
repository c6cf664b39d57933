#include "skin/pressable_control_win.h"

#include "skin/skin_engine_win.h"

namespace korvel::skin {

void PressableControl::ResetPressable() {
    lastMessage_ = 0;
    fadeAlpha_ = 0;
    paintCount_ = 0;
}

LRESULT PressableControl::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                        int window, int control, int extra) {
    switch (message) {
        case WM_DESTROY:
            OnDestroy();
            return 0;
        case kMsgTimer:
            FadeTick(fadeAlpha_, wParam);
            return 0;
        default:
            break;
    }
    if (HandleOwn(hwnd, message, wParam, lParam, window, control, extra)) return 0;
    if (!AcceptsFaceInput(message, extra, lastMessage_, IsPressed())) return 0;
    if (GpGraphics* g = BeginRepaint()) {
        const long state = message == kMsgPaint ? static_cast<long>(lParam) : kPaintCurrent;
        fadeAlpha_ = PaintFace(g, pointerOnFace(message, IsHovered(), IsPressed()), state);
        ++paintCount_;
        EndRepaint();
    }
    lastMessage_ = message;
    return 0;
}

}  // namespace korvel::skin
