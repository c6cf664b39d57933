// The installed face the program draws its text with (see font_face.h),
// found through GDI's font enumeration and checked against GDI+.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvel::skin {

// Installed families that cover the GB2312 character set (GBK names), in the
// order GDI enumerates them, each once.
std::vector<std::string> InstalledChineseFaces();

// wanted when GDI+ knows it, else an installed face covering Chinese that
// GDI+ can use, else empty. Callers ask for "宋体".
std::string ChooseDrawingFace(std::string_view wanted);

// The same choice for GDI text (dialog templates, measured dialog units):
// wanted when installed, else a Chinese face, else wanted itself so the
// system's own substitution still applies. Worked out once per process for
// "宋体".
std::string ChineseDialogFace();

}  // namespace korvel::skin
