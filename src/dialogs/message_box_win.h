// The program's own modal message box: a skinned popup with a text, an
// optional icon and one of six button sets. It disables its owner while it
// is open, runs its own message loop and returns the code of the button
// pressed (dialogs/message_box_layout.h names the sets, icons and results).
#pragma once

#include <windows.h>

#include <functional>
#include <string_view>

#include "dialogs/message_box_layout.h"
#include "dialogs/message_box_texts.h"

namespace korvel::dialogs {

// Called once the box's elements exist, before it is shown.
using MessageBoxSetup = std::function<void(HWND box, int width, int height)>;

// Result: the pressed button's code; kResultCancel (1) when the box is closed
// without a button (Esc, the close button, a quit message), when its window
// cannot be made, or when a box is already open (boxes do not nest). A quit
// message ends the box and is posted again so the caller's loop ends too.
int showMessageBox(HWND owner, std::string_view text, int buttonSet = kButtonsOk,
                   std::string_view title = kBoxTitle, int icon = kIconNone,
                   const MessageBoxSetup& setup = {}, bool beep = true);

// The window of the box now open, nullptr when none is.
HWND openMessageBox();

// What plays the sound of an icon (MessageBeep unless replaced; an empty
// function puts MessageBeep back). Lets a test hear which sound a box makes.
void setMessageBoxBeeper(std::function<void(unsigned type)> beeper);

}  // namespace korvel::dialogs
