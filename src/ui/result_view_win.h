// The result box's window: a read-only multi-line text view with a vertical
// scroll bar, black text on white, that answers the EDIT messages the program
// and its readers use (WM_SETTEXT, WM_GETTEXT, EM_REPLACESEL, EM_SETSEL,
// EM_GETSEL, EM_GETLINE, EM_GETLINECOUNT, EM_LINESCROLL, ...). It lays out
// only what changes, so a batch run that adds ten megabytes to it stays as
// quick at its end as at its start; the EDIT control laid out every new line
// several times over and held the user-interface thread for minutes.
//
// The reader selects with the mouse or Shift and the arrow keys, copies with
// Ctrl+C or the context menu, and scrolls with the bar, the wheel and the keys.
// EM_REPLACESEL never scrolls: what the reader looks at stays put.
//
// EM_SETCUEBANNER sets a hint it draws in grey in its middle while it holds
// no text; the hint is never part of the text.
#pragma once

#include <windows.h>

namespace korvel::ui {

inline constexpr wchar_t kResultViewClass[] = L"KorvelResultView";

// Registers the window class once per process. True when it is registered.
bool registerResultView();

}  // namespace korvel::ui
