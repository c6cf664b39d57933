#include "skin/push_state.h"

#include <gtest/gtest.h>

#include "skin/button_look.h"
#include "skin/toolkit_messages.h"

namespace korvel::skin {
namespace {

TEST(FaceFilter, WhichMessagesRepaint) {
    struct Case {
        const char* what;
        FaceInput in;
        bool repaints;
    };
    const Case cases[] = {
        {"paint always", {kMsgPaint, false, 1, kMsgPaint, false}, true},
        {"paint while disabled", {kMsgPaint, true, 1, 0, false}, true},
        {"first move", {kMsgMouseMove, false, 1, kMsgPaint, false}, true},
        {"repeated move", {kMsgMouseMove, false, 1, kMsgMouseMove, false}, false},
        {"move while pressed here", {kMsgMouseMove, false, 1, kMsgLeftDown, true}, false},
        {"press", {kMsgLeftDown, false, 1, kMsgMouseMove, true}, true},
        {"release", {kMsgLeftUp, false, 1, kMsgLeftDown, true}, true},
        {"user press on disabled", {kMsgLeftDown, true, 1, kMsgPaint, false}, false},
        {"user move on disabled", {kMsgMouseMove, true, 1, kMsgPaint, false}, false},
        {"program message to disabled", {kMsgLeftDown, true, 0, kMsgPaint, false}, true},
        {"timer is no face message", {kMsgTimer, false, 1, 0, false}, false},
        {"right press is no face message", {516, false, 1, 0, false}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(acceptsFaceMessage(c.in), c.repaints);
    }
}

TEST(ButtonStep, StateAndStartingAlpha) {
    struct Case {
        unsigned message;
        bool disabled;
        bool focused;
        long paintState;
        ButtonState state;
        int alpha;
    };
    const Case cases[] = {
        {kMsgPaint, false, false, -1, ButtonState::Normal, 204},
        {kMsgPaint, false, true, -1, ButtonState::Focused, 204},
        {kMsgPaint, false, true, kPaintNormal, ButtonState::Focused, 204},
        {kMsgPaint, false, true, kPaintLostFocus, ButtonState::Normal, 204},
        {kMsgMouseMove, false, false, -1, ButtonState::Hover, 153},
        {kMsgMouseMove, false, true, -1, ButtonState::Hover, 153},
        {kMsgLeftDown, false, false, -1, ButtonState::Pressed, 204},
        {kMsgLeftUp, false, true, -1, ButtonState::Pressed, 204},
        {kMsgPaint, true, true, -1, ButtonState::Disabled, 204},
        {kMsgMouseMove, true, false, -1, ButtonState::Disabled, 204},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.message << " disabled " << c.disabled << " focused "
                                        << c.focused << " state " << c.paintState);
        const ButtonStep step = buttonStep(c.message, c.disabled, c.focused, c.paintState);
        EXPECT_EQ(step.state, c.state);
        EXPECT_EQ(step.fadeAlpha, c.alpha);
    }
}

TEST(TabState, FromMessage) {
    EXPECT_EQ(tabState(kMsgPaint, false, false), TabState::Normal);
    EXPECT_EQ(tabState(kMsgPaint, false, true), TabState::Selected);
    EXPECT_EQ(tabState(kMsgMouseMove, false, true), TabState::Hover);
    EXPECT_EQ(tabState(kMsgLeftDown, false, true), TabState::Pressed);
    EXPECT_EQ(tabState(kMsgLeftUp, false, false), TabState::Pressed);
    EXPECT_EQ(tabState(kMsgMouseMove, true, true), TabState::Disabled);
}

TEST(ButtonLook, FaceTableRows) {
    struct Case {
        ButtonState state;
        ButtonFace face;
    };
    const Case cases[] = {
        {ButtonState::Normal, {0xAAFFFFFF, 0xB4FFFFFF, 0x3C000000, 0x50000000, 0x3CFFFFFF}},
        {ButtonState::Hover, {0xAAFFFFFF, 0xB4FFFFFF, 0x6E0088FF, 0x6E0060C0, 0x1EFFFFFF}},
        {ButtonState::Pressed, {0xAAFFFFFF, 0x3C000000, 0x00FFFFFF, 0x50000000, 0x3CFFFFFF}},
        {ButtonState::Focused, {0xAAFFFFFF, 0xB4FFFFFF, 0x5A0088FF, 0x6E0060C0, 0x3CFFFFFF}},
        {ButtonState::Disabled, {0x3C606060, 0x00000000, 0x00000000, 0x32000000, 0x28FFFFFF}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.state));
        const ButtonFace& f = buttonFace(c.state);
        EXPECT_EQ(f.fill, c.face.fill);
        EXPECT_EQ(f.gradientTop, c.face.gradientTop);
        EXPECT_EQ(f.gradientBottom, c.face.gradientBottom);
        EXPECT_EQ(f.outerOutline, c.face.outerOutline);
        EXPECT_EQ(f.innerOutline, c.face.innerOutline);
    }
}

TEST(ButtonLook, TextColours) {
    EXPECT_EQ(defaultButtonTextColor(), 0xD2000000u);
    EXPECT_EQ(buttonTextColor(ButtonState::Hover, 0xFE123456u), 0xFE123456u);
    EXPECT_EQ(buttonTextColor(ButtonState::Disabled, 0xFE123456u), 0x5A000000u);
}

}  // namespace
}  // namespace korvel::skin
