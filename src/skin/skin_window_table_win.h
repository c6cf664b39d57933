// The table of skinned windows. A window's number is its 1-based index here
// and a control's number its 1-based index in its window's control list;
// both shift down when an earlier entry goes away.
#pragma once

#include <vector>

#include "skin/control_token.h"
#include "skin/dib_buffer_win.h"
#include "skin/skin_geometry.h"

namespace korvel::skin {

class SkinControl;
class SkinEngine;

// One drawn control as its window knows it. The list order is the z-order:
// later entries lie on top.
struct ControlEntry {
    HWND hwnd = nullptr;
    RectF rect;
    int identity = 0;  // smallest free positive number in the window; events report it
    SkinControl* control = nullptr;
    int kind = 0;    // 1 caption button, 15 gives up the focus on a press on empty space
    int active = 1;  // bit 0: painted and receives messages
    bool focusable = false;
};

struct SkinWindowRecord {
    RECT windowRect{};
    SkinEngine* engine = nullptr;
    bool fadeControls = true;
    bool stretchImage = false;
    int alpha = -1;  // -1: ordinary window with a rounded region; 0..255: layered
    HWND hwnd = nullptr;
    WindowDc windowDc;
    DibBuffer layer;    // only for layered windows: the source of UpdateLayeredWindow
    DibBuffer compose;  // window size: every redraw composes here
    DibBuffer present;  // largest track size: the last finished frame
    std::vector<ControlEntry> controls;
};

int WindowCount();
// nullptr for a number outside 1..count.
SkinWindowRecord* WindowRecord(int number);
// The number of the record of hwnd, 0 when it is not skinned.
int FindWindowNumber(HWND hwnd);
// Appends; returns the new number.
int AddWindowRecord(SkinWindowRecord* record);
// Removes the record and renumbers the windows after it: their engines and
// the window number of each of their controls follow.
void RemoveWindowRecord(int number);

// The entry of a control, nullptr for invalid numbers.
ControlEntry* FindControlEntry(int window, int control);
// The number of the control with that token in the window, 0 when none.
int FindControlNumber(int window, ControlToken token);

}  // namespace korvel::skin
