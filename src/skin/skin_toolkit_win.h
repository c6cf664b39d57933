// Process-wide state of the toolkit: GDI+, the default font, the default
// timer interval, the caption-button sprite and the host window class.
// InitToolkit runs once on the UI thread before the first window is attached;
// GDI+ then stays started until the process ends.
#pragma once

#include <string>
#include <string_view>

#include "skin/gdi_handles_win.h"
#include "skin/skin_image_win.h"

namespace korvel::skin {

constexpr wchar_t kHostClassName[] = L"SkinHostWnd";
constexpr int kProgramIconId = 129;

// GDI+ start-up (version 1 unless told), OS version, default font, 80 ms
// timer interval, the sprite from the built-in pictures, "SkinHostWnd".
// Later calls do nothing and report the first result.
bool InitToolkit(UINT32 gdiplusVersion = 1);
bool ToolkitStarted();

// Registers a window class for skinned windows whose class procedure is
// windowProc (DefWindowProcW when null); Attach replaces it per window.
// A null icon loads resource 129 of the program (and tolerates its absence).
bool RegisterHostClass(WNDPROC windowProc = nullptr, const wchar_t* className = kHostClassName,
                       HICON icon = nullptr, UINT classStyle = CS_DBLCLKS,
                       HCURSOR cursor = nullptr);

// The default font: "宋体" 12 px, else an installed face covering Chinese,
// else the system caption face; never freed.
GpFont* DefaultFont();
// The family name of the default font (GBK), empty before InitToolkit.
std::string DefaultFontFamilyName();
// A font in pixel units; an unknown face falls back to the default font's
// family; empty only when even that fails (callers then use DefaultFont()).
GdipFontPtr CreateFontByName(std::string_view gbkFace, float size, int style);
// The face of the menu (1), caption (2) or message (3) font; "Tahoma" and
// any failure give "宋体".
std::string SystemFontFace(int which = 2);

unsigned DefaultTimerInterval();
int OsMajorVersion();
// The caption-button sprite (empty image before InitToolkit).
SkinImage& SkinSprite();

}  // namespace korvel::skin
