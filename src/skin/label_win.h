// A drawn text, optionally over a gradient and inside a border. It takes no
// focus. With the automatic text colour it picks white over a dark
// background and black over a light one.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "skin/control_caption_win.h"
#include "skin/skin_color.h"
#include "skin/skin_control_win.h"

namespace korvel::skin {

// A gradient end that is not set: drawn as transparent black.
constexpr Argb kUnsetColor = 0xFFFFFFFFu;
constexpr int kNoGradient = -1;

struct LabelOptions {
    std::optional<Argb> textColor;   // black at 230 when not given
    int gradientMode = kNoGradient;  // -1 none, else a GDI+ linear-gradient mode 0..3
    Argb gradientStart = kUnsetColor;
    Argb gradientEnd = kUnsetColor;
    FontRequest font;
    int alignment = 3;       // 0..2 near/centre/far at the top, 3..5 the same centred vertically
    int formatFlags = 4096;  // GDI+ StringFormatFlags (no wrap)
    int trimming = 0;
    int hotkeyPrefix = 0;
    int shadowStyle = 0;
    int borderStyle = 0;  // 1 sunken, 2 raised, 3 plain grey, 4 dashed
    bool visible = true;
};

// What one label drawing needs.
struct LabelPaint {
    std::string_view text;
    GpFont* font = nullptr;
    Argb textColor = 0;
    int gradientMode = kNoGradient;
    Argb gradientStart = kUnsetColor;
    Argb gradientEnd = kUnsetColor;
    int alignment = 3;
    int formatFlags = 4096;
    int trimming = 0;
    int hotkeyPrefix = 0;
    int shadowStyle = 0;
    int borderStyle = 0;
};

// Border, background gradient, then the text 2 pixels inside r.
void DrawLabel(GpGraphics* g, const RectF& r, const LabelPaint& paint);

class Label : public SkinControl {
  public:
    // Registers the label (kind 3, not focusable) and paints it when
    // visible. Returns the control number, 0 when hwnd is not skinned.
    int Create(HWND hwnd, const std::string& text, int x, int y, int width, int height,
               const LabelOptions& options = {});

    const std::string& LabelText() const { return text_; }
    const std::string& LabelText(const std::string& text);
    void SetTextColour(Argb color);
    Argb TextColour() const { return textColor_; }
    bool AutoTextColour() const { return autoTextColor_; }
    bool AutoTextColour(bool value) { return autoTextColor_ = value; }
    Argb GradientStart() const { return gradientStart_; }
    Argb GradientStart(Argb color);
    Argb GradientEnd() const { return gradientEnd_; }
    Argb GradientEnd(Argb color);
    int GradientMode() const { return gradientMode_; }
    int GradientMode(int mode);

    int Alignment() const { return alignment_; }
    int FormatFlags() const { return formatFlags_; }
    GpFont* Font() const { return font_.Get(); }
    int PaintCount() const { return paintCount_; }

    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, int window,
                          int control, int extra) override;

  private:
    void paint();

    std::string text_;
    ControlFont font_;
    int alignment_ = 3;
    int formatFlags_ = 4096;
    int trimming_ = 0;
    int hotkeyPrefix_ = 0;
    Argb textColor_ = 0;
    int gradientMode_ = kNoGradient;
    Argb gradientStart_ = kUnsetColor;
    Argb gradientEnd_ = kUnsetColor;
    int shadowStyle_ = 0;
    int borderStyle_ = 0;
    bool autoTextColor_ = false;
    int paintCount_ = 0;
};

// Black at 230, the colour of a label made without one.
Argb defaultLabelTextColor();

}  // namespace korvel::skin
