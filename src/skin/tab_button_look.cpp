#include "skin/tab_button_look.h"

namespace korvel::skin {

namespace {

constexpr Argb white(int alpha) { return static_cast<Argb>(alpha) << 24 | 0xFFFFFFu; }
constexpr Argb black(int alpha) { return static_cast<Argb>(alpha) << 24; }
constexpr Argb grey236(int alpha) { return static_cast<Argb>(alpha) << 24 | 0xECECECu; }

const TabFace kFaces[] = {
    {black(20), white(50), grey236(100), grey236(100), 204},  // disabled
    {black(80), white(120), white(80), white(20), 51},        // selected
    {black(0), white(0), white(0), white(0), 51},             // normal
    {black(80), white(120), white(100), white(10), 153},      // hover
    {black(80), white(80), white(10), white(120), 153},       // pressed
};

}  // namespace

const TabFace& tabFace(TabState state) {
    const int index = static_cast<int>(state);
    return kFaces[index >= 0 && index < 5 ? index : 2];
}

int defaultTabAlignment(bool iconAbove) { return iconAbove ? 4 : 3; }

Argb defaultTabTextColor() { return rgbaToArgb(0, 0, 0, 210); }

TabLayout tabLayout(const RectF& c, int iconWidth, int iconHeight, bool iconAbove, bool pressed) {
    TabLayout out;
    const float iw = static_cast<float>(iconWidth);
    const float ih = static_cast<float>(iconHeight);
    if (iconWidth <= 0 || iconHeight <= 0) {
        out.text = {c.x + 4, c.y + 4, c.width - 8, c.height - 8};
    } else if (iconAbove) {
        out.icon = {c.x + 4, c.y + 4, c.width - 8, ih};
        out.text = {c.x + 4, c.y + ih + 6, c.width - 8, c.height - ih - 10};
    } else {
        out.icon = {c.x + 4, c.y + 4, iw, c.height - 8};
        out.text = {c.x + iw + 6, c.y + 4, c.width - iw - 10, c.height - 8};
    }
    if (pressed) {
        for (RectF* r : {&out.icon, &out.text}) {
            if (r->width == 0 && r->height == 0) continue;
            r->x += 1;
            r->y += 1;
        }
    }
    return out;
}

}  // namespace korvel::skin
