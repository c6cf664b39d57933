#include "skin/button_look.h"

namespace korvel::skin {

namespace {

const ButtonFace kFaces[] = {
    // disabled
    {rgbaToArgb(96, 96, 96, 60), rgbaToArgb(0, 0, 0, 0), rgbaToArgb(0, 0, 0, 0),
     rgbaToArgb(0, 0, 0, 50), rgbaToArgb(255, 255, 255, 40)},
    // normal
    {rgbaToArgb(255, 255, 255, 170), rgbaToArgb(255, 255, 255, 180), rgbaToArgb(0, 0, 0, 60),
     rgbaToArgb(0, 0, 0, 80), rgbaToArgb(255, 255, 255, 60)},
    // hover
    {rgbaToArgb(255, 255, 255, 170), rgbaToArgb(255, 255, 255, 180), rgbaToArgb(0, 136, 255, 110),
     rgbaToArgb(0, 96, 192, 110), rgbaToArgb(255, 255, 255, 30)},
    // pressed
    {rgbaToArgb(255, 255, 255, 170), rgbaToArgb(0, 0, 0, 60), rgbaToArgb(255, 255, 255, 0),
     rgbaToArgb(0, 0, 0, 80), rgbaToArgb(255, 255, 255, 60)},
    // focused
    {rgbaToArgb(255, 255, 255, 170), rgbaToArgb(255, 255, 255, 180), rgbaToArgb(0, 136, 255, 90),
     rgbaToArgb(0, 96, 192, 110), rgbaToArgb(255, 255, 255, 60)},
};

}  // namespace

const ButtonFace& buttonFace(ButtonState state) {
    const int index = static_cast<int>(state) + 1;
    return kFaces[index >= 0 && index < 5 ? index : 1];
}

Argb defaultButtonTextColor() { return rgbaToArgb(0, 0, 0, 210); }

Argb buttonTextColor(ButtonState state, Argb textColor) {
    return state == ButtonState::Disabled ? rgbaToArgb(0, 0, 0, 90) : textColor;
}

}  // namespace korvel::skin
