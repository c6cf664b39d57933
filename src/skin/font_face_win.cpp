#include "skin/font_face_win.h"

#include <windows.h>

#include <algorithm>

#include "skin/font_face.h"
#include "skin/gdi_handles_win.h"
#include "text/wide_text_win.h"

namespace korvel::skin {

namespace {

int CALLBACK collectFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM out) {
    auto& faces = *reinterpret_cast<std::vector<std::string>*>(out);
    std::string face = text::toGbk(font->lfFaceName);
    if (!face.empty() && std::find(faces.begin(), faces.end(), face) == faces.end())
        faces.push_back(std::move(face));
    return 1;
}

int CALLBACK noteFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool gdiKnows(std::string_view gbkFace) {
    const std::wstring face = text::toWide(gbkFace);
    if (face.empty() || face.size() >= LF_FACESIZE) return false;
    WindowDc screen(nullptr);
    if (!screen) return false;
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    face.copy(query.lfFaceName, face.size());
    bool found = false;
    EnumFontFamiliesExW(screen.get(), &query, noteFound, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

// GDI+ finds a family by name only when it can draw with it.
bool gdiplusKnows(std::string_view gbkFace) {
    const std::wstring face = text::toWide(gbkFace);
    if (face.empty()) return false;
    GdipFontFamilyPtr family;
    return gdip::GdipCreateFontFamilyFromName(face.c_str(), nullptr, family.put()) == Gdiplus::Ok;
}

}  // namespace

std::vector<std::string> InstalledChineseFaces() {
    std::vector<std::string> faces;
    WindowDc screen(nullptr);
    if (!screen) return faces;
    LOGFONTW query{};
    query.lfCharSet = GB2312_CHARSET;
    EnumFontFamiliesExW(screen.get(), &query, collectFace, reinterpret_cast<LPARAM>(&faces), 0);
    return faces;
}

std::string ChooseDrawingFace(std::string_view wanted) {
    if (gdiplusKnows(wanted)) return std::string(wanted);
    std::vector<std::string> usable = InstalledChineseFaces();
    std::erase_if(usable, [](const std::string& face) { return !gdiplusKnows(face); });
    return ChooseFontFace(wanted, false, usable);
}

std::string ChineseDialogFace() {
    static const std::string face = [] {
        constexpr std::string_view kSongTi = "宋体";
        const std::vector<std::string> faces = InstalledChineseFaces();
        std::string chosen = ChooseFontFace(kSongTi, gdiKnows(kSongTi), faces);
        return chosen.empty() ? std::string(kSongTi) : chosen;
    }();
    return face;
}

}  // namespace korvel::skin
