#include "upgrade/about_window_win.h"

#include "skin/font_face_win.h"
#include "skin/gdi_handles_win.h"
#include "skin/skin_color.h"
#include "skin/skin_toolkit_win.h"
#include "text/wide_text_win.h"
#include "upgrade/about_text.h"
#include "upgrade/upgrade_window_texts.h"

namespace korvel::upgrade {

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr int kPanelAlpha = 100;
constexpr int kDialogFontPoints = 9;

ScreenRect screenRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace

DialogBaseUnits programDialogBaseUnits() {
    // What MapDialogRect does for a dialog with this font: the letters'
    // average width and the font's height.
    skin::WindowDc screen(nullptr);
    if (!screen) return dialogBaseUnits(0, 0);
    const int height = -MulDiv(kDialogFontPoints, GetDeviceCaps(screen.get(), LOGPIXELSY), 72);
    const skin::GdiObject font(CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                           GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                           DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                                           text::toWide(skin::ChineseDialogFace()).c_str()));
    if (!font) return dialogBaseUnits(0, 0);
    const skin::SelectGuard selected(screen.get(), font.get());
    const std::wstring letters(kBaseUnitLetters.begin(), kBaseUnitLetters.end());
    SIZE extent{};
    TEXTMETRICW metrics{};
    if (!GetTextExtentPoint32W(screen.get(), letters.c_str(), static_cast<int>(letters.size()),
                               &extent) ||
        !GetTextMetricsW(screen.get(), &metrics))
        return dialogBaseUnits(0, 0);
    return dialogBaseUnits(extent.cx, metrics.tmHeight);
}

AboutWindow::~AboutWindow() { close(); }

bool AboutWindow::show(HWND owner, const std::string& version) {
    if (hwnd_ && IsWindow(hwnd_)) {
        if (IsIconic(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
        SetForegroundWindow(hwnd_);
        return true;
    }
    const PixelSize size =
        dialogUnitsToPixels(kAboutWidthUnits, kAboutHeightUnits, programDialogBaseUnits());
    RECT work{}, over{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    if (owner) GetWindowRect(owner, &over);
    const WindowOrigin at = centreOver(screenRect(over), size.width, size.height, screenRect(work));
    hwnd_ = CreateWindowExW(0, skin::kHostClassName, text::toWide(kAboutWindowTitle).c_str(),
                            WS_POPUP, at.x, at.y, size.width, size.height, owner, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    if (!hwnd_) return false;
    skin::AttachOptions options;
    options.panelColor = skin::colorToArgb(kWhite, kPanelAlpha);
    options.captionFlags = skin::kCaptionClose;
    if (!skin_.Attach(hwnd_, {}, options)) {
        DestroyWindow(hwnd_);
        hwnd_ = nullptr;
        return false;
    }
    skin_.MessageHook([this](HWND, UINT message, WPARAM, LPARAM) -> LRESULT {
        if (message == WM_DESTROY) hwnd_ = nullptr;
        return -1;
    });
    skin::LabelOptions text;
    text.formatFlags = 0;  // lets the lines wrap
    const int width = skin_.Width(), height = skin_.Height();
    label_.Create(hwnd_, aboutText(version), 10, 20, width - 20, height - 30, text);
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    return true;
}

void AboutWindow::close() {
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
    hwnd_ = nullptr;
}

}  // namespace korvel::upgrade
