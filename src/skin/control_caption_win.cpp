#include "skin/control_caption_win.h"

#include "skin/hotkey_list.h"
#include "skin/skin_toolkit_win.h"
#include "skin/toolkit_messages.h"

namespace korvel::skin {

namespace {

constexpr float kDefaultFontSize = 12.0f;

}  // namespace

void ControlFont::Make(const FontRequest& request) {
    own_.reset();
    if (!request.any()) return;
    const std::string face = request.face ? *request.face : DefaultFontFamilyName();
    own_ =
        CreateFontByName(face, request.size.value_or(kDefaultFontSize), request.style.value_or(0));
}

GpFont* ControlFont::Get() const { return own_ ? own_.get() : DefaultFont(); }

void RegisterAccelerator(HWND hwnd, int control, std::string_view caption) {
    if (!hwnd || control <= 0) return;
    const int key = acceleratorKey(caption);
    // Key 0 drops an accelerator an earlier caption registered.
    SendMessageW(hwnd, kMsgHotkey, static_cast<WPARAM>(control), static_cast<LPARAM>(key));
}

}  // namespace korvel::skin
