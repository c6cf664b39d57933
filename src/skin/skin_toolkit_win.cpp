#include "skin/skin_toolkit_win.h"

#include <commctrl.h>

#include "skin/builtin_pictures.h"
#include "skin/font_face_win.h"
#include "skin/toolkit_messages.h"
#include "text/wide_text_win.h"

namespace korvel::skin {

namespace {

constexpr char kSongTi[] = "宋体";
constexpr char kTahoma[] = "Tahoma";
constexpr float kDefaultFontSize = 12.0f;

struct ToolkitState {
    GdiplusSession gdiplus;
    bool started = false;
    bool result = false;
    int osMajor = 0;
    GdipFontPtr defaultFont;
    std::string defaultFamily;
    unsigned timerInterval = kDefaultTimerInterval;
    SkinImage sprite;
};

// Deliberately never destroyed: GDI+ objects of windows and controls may
// outlive any static destructor order, so the toolkit has no shut-down.
ToolkitState& state() {
    static ToolkitState* s = new ToolkitState;
    return *s;
}

int readOsMajor() {
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    auto fn = ntdll ? reinterpret_cast<RtlGetVersionFn>(
                          reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
                    : nullptr;
    if (fn && fn(&info) == 0) return static_cast<int>(info.dwMajorVersion);
    return 0;
}

GdipFontFamilyPtr familyFromName(std::string_view gbkFace) {
    GdipFontFamilyPtr family;
    const std::wstring face = text::toWide(gbkFace);
    if (face.empty()) return family;
    if (gdip::GdipCreateFontFamilyFromName(face.c_str(), nullptr, family.put()) != Gdiplus::Ok)
        family.reset();
    return family;
}

GdipFontPtr fontFromFamily(GpFontFamily* family, float size, int style) {
    GdipFontPtr font;
    if (gdip::GdipCreateFont(family, size, style, Gdiplus::UnitPixel, font.put()) != Gdiplus::Ok)
        font.reset();
    return font;
}

std::string familyName(GpFontFamily* family) {
    WCHAR name[LF_FACESIZE] = {};
    if (gdip::GdipGetFamilyName(family, name, LANG_NEUTRAL) != Gdiplus::Ok) return {};
    return text::toGbk(name);
}

void createDefaultFont(ToolkitState& s) {
    // "宋体", or a face that covers Chinese where it is missing.
    const std::string faces[] = {ChooseDrawingFace(kSongTi), SystemFontFace(2)};
    for (const std::string& face : faces) {
        GdipFontFamilyPtr family = familyFromName(face);
        if (!family) continue;
        s.defaultFont = fontFromFamily(family.get(), kDefaultFontSize, Gdiplus::FontStyleRegular);
        if (s.defaultFont) {
            s.defaultFamily = familyName(family.get());
            return;
        }
    }
    // Neither face exists (a bare Wine prefix): the generic sans serif keeps
    // every caller drawing.
    GdipFontFamilyPtr generic;
    if (gdip::GdipGetGenericFontFamilySansSerif(generic.put()) == Gdiplus::Ok) {
        s.defaultFont = fontFromFamily(generic.get(), kDefaultFontSize, Gdiplus::FontStyleRegular);
        s.defaultFamily = familyName(generic.get());
    }
}

}  // namespace

bool InitToolkit(UINT32 gdiplusVersion) {
    ToolkitState& s = state();
    if (s.started) return s.result;
    s.started = true;
    if (!s.gdiplus.Start(gdiplusVersion)) return s.result = false;
    // The tooltip windows of the engines need the common control classes.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    s.osMajor = readOsMajor();
    s.timerInterval = kDefaultTimerInterval;
    createDefaultFont(s);
    s.sprite.LoadFromBytes(pictures::captionSprite());
    RegisterHostClass();
    return s.result = true;
}

bool ToolkitStarted() { return state().result; }

bool RegisterHostClass(WNDPROC windowProc, const wchar_t* className, HICON icon, UINT classStyle,
                       HCURSOR cursor) {
    HINSTANCE module = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = classStyle;
    wc.lpfnWndProc = windowProc ? windowProc : DefWindowProcW;
    wc.hInstance = module;
    wc.hIcon = icon ? icon : LoadIconW(module, MAKEINTRESOURCEW(kProgramIconId));
    wc.hCursor = cursor ? cursor : LoadCursorW(nullptr, MAKEINTRESOURCEW(kCursorArrow));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(16));
    wc.lpszClassName = className;
    return RegisterClassExW(&wc) != 0;
}

GpFont* DefaultFont() { return state().defaultFont.get(); }

std::string DefaultFontFamilyName() { return state().defaultFamily; }

GdipFontPtr CreateFontByName(std::string_view gbkFace, float size, int style) {
    GdipFontFamilyPtr family = familyFromName(gbkFace);
    if (!family) family = familyFromName(state().defaultFamily);
    if (!family) return {};
    return fontFromFamily(family.get(), size, style);
}

std::string SystemFontFace(int which) {
    if (which < 1 || which > 3) return kSongTi;
    NONCLIENTMETRICSW metrics{};
    // The pre-Vista layout is what every system accepts.
    metrics.cbSize = offsetof(NONCLIENTMETRICSW, lfMessageFont) + sizeof(LOGFONTW);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0))
        return kSongTi;
    const LOGFONTW& font = which == 1   ? metrics.lfMenuFont
                           : which == 2 ? metrics.lfCaptionFont
                                        : metrics.lfMessageFont;
    std::string face = text::toGbk(font.lfFaceName);
    if (face.empty() || face == kTahoma) return kSongTi;
    GdipFontFamilyPtr family = familyFromName(face);
    if (!family || !fontFromFamily(family.get(), kDefaultFontSize, 0)) return kSongTi;
    return face;
}

unsigned DefaultTimerInterval() { return state().timerInterval; }

int OsMajorVersion() { return state().osMajor; }

SkinImage& SkinSprite() { return state().sprite; }

}  // namespace korvel::skin
