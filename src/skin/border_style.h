// The border styles a Label or a PictureBox draws around its rectangle.
#pragma once

#include <optional>

#include "skin/skin_color.h"

namespace korvel::skin {

struct BorderLook {
    Argb topLeft = 0;      // upper and left edges
    Argb bottomRight = 0;  // lower and right edges
    bool dashed = false;
};

// 1 sunken (dark above and left, light below and right), 2 raised (the
// reverse), 3 plain grey outline, 4 dashed grey; nothing for 0 and unknown
// styles.
std::optional<BorderLook> borderLook(int style);

}  // namespace korvel::skin
