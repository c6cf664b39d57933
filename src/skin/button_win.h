// The drawn push button: a translucent, optionally rounded face whose
// gradient follows the look (normal, hover, pressed, focused, disabled), a
// caption with an optional "&" accelerator and an optional picture. Clicks
// reach the program through the engine's Click event or BindEvent.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "skin/button_look.h"
#include "skin/control_caption_win.h"
#include "skin/pressable_control_win.h"
#include "skin/skin_image_win.h"

namespace korvel::skin {

struct ButtonOptions {
    std::optional<Argb> textColor;  // black at 210 when not given
    FontRequest font;
    int shadowStyle = 0;          // 0 none, 1 to 3 a copy one pixel off
    std::optional<bool> rounded;  // the window's FrameStyle is non-zero when not given
    bool visible = true;
};

// What one face drawing needs.
struct ButtonFacePaint {
    ButtonState state = ButtonState::Normal;
    bool rounded = true;
    std::string_view caption;  // GBK, "&" marks the accelerator
    GpFont* font = nullptr;
    Argb textColor = 0;
    int shadowStyle = 0;
    GpImage* picture = nullptr;
};

// Draws the face into r of g (the colours of buttonFace, the outlines, the
// picture and the caption centred with the accelerator underlined).
void DrawButtonFace(GpGraphics* g, const RectF& r, const ButtonFacePaint& paint);

class Button : public PressableControl {
  public:
    // Registers the button (kind 2, focusable), registers the caption's
    // accelerator and paints it when visible. Returns the control number, 0
    // when hwnd is not a skinned window.
    int Create(HWND hwnd, const std::string& caption, int x, int y, int width, int height,
               const ButtonOptions& options = {});

    const std::string& ButtonText() const { return caption_; }
    // Stores the caption, registers its accelerator again and repaints.
    const std::string& ButtonText(const std::string& caption);
    // A picture drawn at the left of the face (empty bytes remove it).
    void SetPicture(std::span<const std::uint8_t> bytes);

    ButtonState DrawnState() const { return drawnState_; }
    bool Rounded() const { return rounded_; }
    Argb TextColor() const { return textColor_; }
    GpFont* Font() const { return font_.Get(); }
    bool HasOwnFont() const { return !font_.IsDefault(); }

  protected:
    void OnDestroy() override { font_.Release(); }
    int PaintFace(GpGraphics* g, Pointer pointer, long paintState) override;

  private:
    SkinImage picture_;
    std::string caption_;
    ControlFont font_;
    int shadowStyle_ = 0;
    Argb textColor_ = defaultButtonTextColor();
    bool rounded_ = true;
    ButtonState drawnState_ = ButtonState::Normal;
};

}  // namespace korvel::skin
