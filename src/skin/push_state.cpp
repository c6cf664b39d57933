#include "skin/push_state.h"

#include "skin/toolkit_messages.h"

namespace korvel::skin {

bool isFaceMessage(unsigned message) {
    return message == kMsgPaint || message == kMsgMouseMove || message == kMsgLeftDown ||
           message == kMsgLeftUp;
}

bool acceptsFaceMessage(const FaceInput& in) {
    if (!isFaceMessage(in.message)) return false;
    if (in.message == kMsgPaint) return true;
    if (in.disabled && in.extra == 1) return false;
    if (in.message == in.lastMessage) return false;
    return !(in.message == kMsgMouseMove && in.isPressedControl);
}

Pointer pointerOnFace(unsigned message, bool hovered, bool pressed) {
    if (message == kMsgPaint) return Pointer::Away;
    if (pressed) return Pointer::Down;
    return hovered ? Pointer::Over : Pointer::Away;
}

ButtonStep buttonStep(Pointer pointer, bool disabled, bool focused, long paintState) {
    if (disabled) return {ButtonState::Disabled, 204};
    switch (pointer) {
        case Pointer::Over:
            return {ButtonState::Hover, 153};
        case Pointer::Down:
            return {ButtonState::Pressed, 204};
        default:
            focused = focused && paintState != kPaintLostFocus;
            return {focused ? ButtonState::Focused : ButtonState::Normal, 204};
    }
}

TabState tabState(Pointer pointer, bool disabled, bool selected) {
    if (disabled) return TabState::Disabled;
    switch (pointer) {
        case Pointer::Over:
            return TabState::Hover;
        case Pointer::Down:
            return TabState::Pressed;
        default:
            return selected ? TabState::Selected : TabState::Normal;
    }
}

}  // namespace korvel::skin
