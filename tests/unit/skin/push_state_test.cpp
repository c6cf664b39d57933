#include "skin/push_state.h"

#include <gtest/gtest.h>

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

// The look comes from where the input root has the pointer, never from the
// message alone: a paint rests, a release that ends no press shows hover.
TEST(ButtonStep, StateAndStartingAlpha) {
    struct Case {
        unsigned message;
        bool hovered, pressed;
        bool disabled;
        bool focused;
        long paintState;
        ButtonState state;
        int alpha;
    };
    const Case cases[] = {
        {kMsgPaint, false, false, false, false, -1, ButtonState::Normal, 204},
        {kMsgPaint, false, false, false, true, -1, ButtonState::Focused, 204},
        {kMsgPaint, false, false, false, true, kPaintNormal, ButtonState::Focused, 204},
        {kMsgPaint, false, false, false, true, kPaintLostFocus, ButtonState::Normal, 204},
        {kMsgPaint, true, true, false, true, -1, ButtonState::Focused, 204},
        {kMsgMouseMove, true, false, false, false, -1, ButtonState::Hover, 153},
        {kMsgMouseMove, true, false, false, true, -1, ButtonState::Hover, 153},
        {kMsgLeftDown, true, true, false, false, -1, ButtonState::Pressed, 204},
        {kMsgLeftUp, true, true, false, true, -1, ButtonState::Pressed, 204},
        {kMsgLeftUp, true, false, false, false, -1, ButtonState::Hover, 153},
        {kMsgPaint, false, false, true, true, -1, ButtonState::Disabled, 204},
        {kMsgMouseMove, true, false, true, false, -1, ButtonState::Disabled, 204},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.message << " hovered " << c.hovered << " pressed "
                                        << c.pressed << " disabled " << c.disabled << " focused "
                                        << c.focused << " state " << c.paintState);
        const Pointer pointer = pointerOnFace(c.message, c.hovered, c.pressed);
        const ButtonStep step = buttonStep(pointer, c.disabled, c.focused, c.paintState);
        EXPECT_EQ(step.state, c.state);
        EXPECT_EQ(step.fadeAlpha, c.alpha);
    }
}

TEST(TabState, FromPointer) {
    EXPECT_EQ(tabState(Pointer::Away, false, false), TabState::Normal);
    EXPECT_EQ(tabState(Pointer::Away, false, true), TabState::Selected);
    EXPECT_EQ(tabState(Pointer::Over, false, true), TabState::Hover);
    EXPECT_EQ(tabState(Pointer::Down, false, true), TabState::Pressed);
    EXPECT_EQ(tabState(Pointer::Down, false, false), TabState::Pressed);
    EXPECT_EQ(tabState(Pointer::Over, true, true), TabState::Disabled);
}

}  // namespace
}  // namespace korvel::skin
