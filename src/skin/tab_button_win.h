// A flat image button with a caption and a selected state: only the icon and
// caption show until the pointer is over it, it is pressed or selected; then
// a translucent rounded face appears. The main window's page tabs (icon
// above the caption) and advertising tiles (icon beside it) are tab buttons.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "skin/control_caption_win.h"
#include "skin/pressable_control_win.h"
#include "skin/skin_image_win.h"
#include "skin/tab_button_look.h"

namespace korvel::skin {

struct TabButtonOptions {
    std::optional<Argb> textColor;  // black at 210
    FontRequest font;
    std::optional<int> alignment;  // 4 with the icon above, else 3
    int formatFlags = 4096;
    int trimming = 0;
    int hotkeyPrefix = 1;
    int shadowStyle = 0;
    std::optional<bool> rounded;  // the window's FrameStyle is non-zero
    bool visible = true;
};

// What one tab face drawing needs.
struct TabFacePaint {
    TabState state = TabState::Normal;
    bool rounded = true;
    GpImage* icon = nullptr;
    bool iconAbove = false;
    std::string_view caption;
    GpFont* font = nullptr;
    Argb textColor = 0;
    int alignment = 3;
    int formatFlags = 4096;
    int trimming = 0;
    int hotkeyPrefix = 1;
    int shadowStyle = 0;
};

// Outlines, gradient, icon and caption into r of g.
void DrawTabFace(GpGraphics* g, const RectF& r, const TabFacePaint& paint);

class TabButton : public PressableControl {
  public:
    // Loads the icon, registers (kind 7, focusable), registers the caption's
    // accelerator and paints when visible. Returns the control number, 0
    // when hwnd is not skinned.
    int Create(HWND hwnd, const std::string& caption, int x, int y, int width, int height,
               bool selected, std::span<const std::uint8_t> icon, bool iconAbove,
               const TabButtonOptions& options = {});

    bool Selected() const { return selected_; }
    // Repaints only when the value changes.
    bool Selected(bool value);
    const std::string& Caption() const { return caption_; }
    const std::string& Caption(const std::string& caption);
    void SetIcon(std::span<const std::uint8_t> icon);
    void SetTextColour(Argb color);
    Argb TextColour() const { return textColor_; }
    bool AutoTextColour() const { return autoTextColor_; }
    bool AutoTextColour(bool value) { return autoTextColor_ = value; }

    int IconWidth() const { return iconWidth_; }
    int IconHeight() const { return iconHeight_; }
    int Alignment() const { return alignment_; }
    bool Rounded() const { return rounded_; }
    TabState DrawnState() const { return drawnState_; }

  protected:
    void OnDestroy() override { font_.Release(); }
    int PaintFace(GpGraphics* g, Pointer pointer, long paintState) override;

  private:
    void loadIcon(std::span<const std::uint8_t> icon);

    SkinImage icon_;
    bool iconAbove_ = false;
    int iconWidth_ = 0;
    int iconHeight_ = 0;
    std::string caption_;
    ControlFont font_;
    int formatFlags_ = 4096;
    int trimming_ = 0;
    int alignment_ = 3;
    int hotkeyPrefix_ = 1;
    int shadowStyle_ = 0;
    Argb textColor_ = defaultTabTextColor();
    bool selected_ = false;
    bool autoTextColor_ = false;
    bool rounded_ = true;
    TabState drawnState_ = TabState::Normal;
};

}  // namespace korvel::skin
