// The message numbers of the toolkit's own protocol between the engine, the
// drawn controls and the program, and the paint states carried in lParam of
// kMsgPaint. They are plain numbers so portable code can name them too.
#pragma once

namespace korvel::skin {

// Control messages (delivered through SendToControl, not the message queue).
constexpr unsigned kMsgPaint = 15;            // lParam: one of the kPaint* states
constexpr unsigned kMsgTimer = 275;           // wParam: the control's timer id
constexpr unsigned kNotifyClick = 444660;     // press and release on the same control
constexpr unsigned kMsgDeactivated = 444662;  // Active(0): the control is leaving
constexpr unsigned kMsgActivated = 444663;    // Active(non-zero): the control is back

// Window messages a skinned window answers.
constexpr unsigned kMsgHotkey = 10240;           // wParam control number, lParam key (0 removes)
constexpr unsigned kMsgBackgroundImage = 10241;  // returns the background GpImage*
constexpr unsigned kMsgPanelColor = 10242;       // returns the panel colour 0x00BBGGRR

// Paint states (lParam of kMsgPaint).
constexpr long kPaintCurrent = -1;   // draw the current state
constexpr long kPaintBorder = 0;     // the pointer went onto a resize border
constexpr long kPaintNormal = 1;     // the pointer left the control
constexpr long kPaintLostFocus = 2;  // the control lost the focus or the press

// Timers: the fade-in of a whole window, and control timers whose id is
// controlNumber * 65536 + windowNumber.
constexpr unsigned kFadeInTimerId = 444660;
constexpr unsigned kDefaultTimerInterval = 80;

// Kind tags of ControlEntry.
constexpr int kKindCaptionButton = 1;
constexpr int kKindButton = 2;
constexpr int kKindLabel = 3;
constexpr int kKindPictureBox = 4;
constexpr int kKindTabButton = 7;
constexpr int kKindProgressBar = 12;
constexpr int kKindPanel = 14;
constexpr int kKindDropsFocus = 15;  // gives up the focus on a press on empty space
constexpr int kKindPageContainer = 20;

// Caption flag bits.
constexpr unsigned kCaptionIcon = 1;
constexpr unsigned kCaptionTitle = 2;
constexpr unsigned kCaptionClose = 4;
constexpr unsigned kCaptionMaximize = 8;
constexpr unsigned kCaptionMinimize = 16;
constexpr unsigned kCaptionExtra32 = 32;
constexpr unsigned kCaptionExtra64 = 64;
constexpr unsigned kCaptionExtra128 = 128;
constexpr unsigned kCaptionExtra256 = 256;
constexpr unsigned kCaptionFromStyles = 1024;

// System cursor numbers.
constexpr int kCursorArrow = 32512;
constexpr int kCursorSizeNwse = 32642;
constexpr int kCursorSizeNesw = 32643;
constexpr int kCursorSizeWe = 32644;
constexpr int kCursorSizeNs = 32645;

}  // namespace korvel::skin
