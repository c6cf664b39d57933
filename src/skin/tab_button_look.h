// The tab button's colours per look and the places of its icon and caption.
#pragma once

#include "skin/push_state.h"
#include "skin/skin_color.h"
#include "skin/skin_geometry.h"

namespace korvel::skin {

struct TabFace {
    Argb outerOutline = 0;
    Argb innerOutline = 0;
    Argb gradientTop = 0;     // the gradient colour at its top alpha
    Argb gradientBottom = 0;  // the same colour at its bottom alpha
    int fadeAlpha = 0;        // where the 51-step fade starts
};

const TabFace& tabFace(TabState state);

// Caption alignment a tab takes when none is given: centred both ways under
// an icon, near and vertically centred beside one.
int defaultTabAlignment(bool iconAbove);

// Black at 210.
Argb defaultTabTextColor();

struct TabLayout {
    RectF icon;  // empty without an icon
    RectF text;
};

// Where the icon and the caption go in the control rectangle. iconWidth or
// iconHeight 0 means no icon; a pressed tab shifts both one pixel down-right.
TabLayout tabLayout(const RectF& control, int iconWidth, int iconHeight, bool iconAbove,
                    bool pressed);

}  // namespace korvel::skin
