// The input filter and state choice shared by the pressable controls
// (Button, TabButton, ProgressBar): which of the paint and mouse messages
// repaint the face, in which look, and from which alpha the fade starts.
// The message only decides whether the face repaints; the look comes from
// the input root's hover and press.
#pragma once

namespace korvel::skin {

constexpr unsigned kMsgMouseMove = 512;
constexpr unsigned kMsgLeftDown = 513;
constexpr unsigned kMsgLeftUp = 514;

// Paint (15) and the three mouse messages that change a pressable face.
bool isFaceMessage(unsigned message);

struct FaceInput {
    unsigned message = 0;
    bool disabled = false;
    int extra = 1;                  // 1: the message comes from the user
    unsigned lastMessage = 0;       // the message the face last showed
    bool isPressedControl = false;  // the window's pressed control is this one
};

// Whether the message repaints the face. A disabled control ignores input
// from the user; a repeated mouse message (moves within a hovered control)
// and moves while the control holds the press change nothing. Paint always
// repaints.
bool acceptsFaceMessage(const FaceInput& in);

// Where the pointer is for a face that repaints, as the window's input root
// has it: a paint shows the resting look (the paint states say the pointer
// left, the press or the focus ended, or the program repainted); a mouse
// message shows the pressed look while the root's press is on this control,
// else the hover look while the root's hover is.
enum class Pointer { Away, Over, Down };

Pointer pointerOnFace(unsigned message, bool hovered, bool pressed);

// Button looks, also the index of its colour table.
enum class ButtonState { Disabled = -1, Normal = 0, Hover = 1, Pressed = 2, Focused = 3 };

struct ButtonStep {
    ButtonState state = ButtonState::Normal;
    int fadeAlpha = 0;  // where the 51-step fade starts
};

// The look a button takes. paintState is the lParam of a paint: a control
// told it lost the focus draws unfocused even when the window has not moved
// its focus yet.
ButtonStep buttonStep(Pointer pointer, bool disabled, bool focused, long paintState = -1);

// Tab button looks, in the order of its colour table.
enum class TabState { Disabled = 0, Selected = 1, Normal = 2, Hover = 3, Pressed = 4 };

TabState tabState(Pointer pointer, bool disabled, bool selected);

}  // namespace korvel::skin
