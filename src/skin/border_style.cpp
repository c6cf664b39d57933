#include "skin/border_style.h"

namespace korvel::skin {

std::optional<BorderLook> borderLook(int style) {
    const Argb dark = rgbaToArgb(0, 0, 0, 160);
    const Argb light = rgbaToArgb(255, 255, 255, 245);
    const Argb grey = rgbaToArgb(100, 100, 100);
    switch (style) {
        case 1:
            return BorderLook{dark, light, false};
        case 2:
            return BorderLook{light, dark, false};
        case 3:
            return BorderLook{grey, grey, false};
        case 4:
            return BorderLook{grey, grey, true};
        default:
            return std::nullopt;
    }
}

}  // namespace korvel::skin
