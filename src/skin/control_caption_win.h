// What the captioned controls (Button, Label, TabButton) share: a font that
// is either the toolkit default or one made for the control, and the "&"
// accelerator a caption registers with its window.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "skin/gdi_handles_win.h"

namespace korvel::skin {

// Font settings of a Create call; none given means the default font.
struct FontRequest {
    std::optional<std::string> face;  // GBK
    std::optional<float> size;        // pixels, 12 when not given
    std::optional<int> style;         // GDI+ FontStyle bits, 0 when not given
    bool any() const { return face || size || style; }
};

class ControlFont {
  public:
    // The default font unless something was asked for; a face GDI+ does not
    // know falls back to the default font's family.
    void Make(const FontRequest& request);
    // Frees a font of the control's own (WM_DESTROY); the default font stays.
    void Release() { own_.reset(); }
    GpFont* Get() const;
    bool IsDefault() const { return !own_; }

  private:
    GdipFontPtr own_;
};

// Tells the window which key clicks the control: the character after the
// first "&" of the caption, or (no "&") that the control has none any more.
void RegisterAccelerator(HWND hwnd, int control, std::string_view caption);

}  // namespace korvel::skin
