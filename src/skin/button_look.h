// The colours of the drawn push button, one row per look, and the text
// colours it falls back to.
#pragma once

#include "skin/push_state.h"
#include "skin/skin_color.h"

namespace korvel::skin {

struct ButtonFace {
    Argb fill = 0;
    Argb gradientTop = 0;
    Argb gradientBottom = 0;
    Argb outerOutline = 0;
    Argb innerOutline = 0;
};

const ButtonFace& buttonFace(ButtonState state);

// Black at 210, the colour of a button made without one.
Argb defaultButtonTextColor();

// The colour the caption is drawn in: a disabled button greys it out.
Argb buttonTextColor(ButtonState state, Argb textColor);

}  // namespace korvel::skin
