// Layout and hit arithmetic of skinned windows, kept free of Win32 so it is
// tested natively: the frame margin, caption-button and icon places, the
// title rectangle, the minimum track size, resize-border codes, hit testing
// over a control list, the smallest free identity and Tab traversal.
#pragma once

#include <optional>
#include <span>
#include <vector>

namespace korvel::skin {

// A control rectangle in window coordinates, as floats like GDI+ uses them.
struct RectF {
    float x = 0;
    float y = 0;
    float width = 0;
    float height = 0;

    // x <= px < x + width and y <= py < y + height, with a 1e-7 tolerance.
    bool contains(float px, float py) const;
    bool intersects(const RectF& other) const;
    // Shrunk by `by` on every side; a size never goes below 0.
    RectF inset(float by) const;
    bool operator==(const RectF&) const = default;
};

struct IntRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const IntRect&) const = default;
};

// 0 for a maximized window, 5 otherwise: the transparent band around the panel.
int frameMargin(bool maximized);

struct CaptionSlot {
    unsigned kind = 0;  // 4, 8, 16, 32, 64, 128 or 256
    IntRect rect;
};

// The caption buttons of a window of the given width, right to left: close
// (39 x 19) first when flag 4 is set, then 28 x 19 buttons for the bits 8, 16,
// 32, 64, 128, 256 that are set, starting at width - margin - 3, top margin + 1.
std::vector<CaptionSlot> captionButtonLayout(int width, bool maximized, unsigned captionFlags);

// The 16 x 16 icon at (margin + 6, margin + 6).
IntRect iconRect(bool maximized);

// Number of caption buttons the flags ask for.
int captionButtonCount(unsigned captionFlags);

// Minimum tracking width: 28 per caption button, 11 more with a close button, plus 40.
int minTrackWidth(int buttonCount, bool hasClose);
constexpr int kMinTrackHeight = 40;

// The title's rectangle, or nothing when no width is left for it.
std::optional<IntRect> titleRect(int width, bool maximized, unsigned captionFlags);

// Caption flags after Attach's completion rule: absent or with bit 1024 they
// gain icon, title and close, plus maximize/minimize when the styles allow.
unsigned completeCaptionFlags(std::optional<unsigned> given, bool hasMaximizeBox,
                              bool hasMinimizeBox);

struct BorderHit {
    int code = 0;    // 1..8 as WMSZ_* (left, right, top, top-left, top-right, bottom, ...), 0 none
    int cursor = 0;  // system cursor number, 0 inside
};

// Which resize border the point (x, y) of a w x h window lies on.
BorderHit borderHit(int x, int y, int w, int h);

// What hit testing needs to know of one control entry.
struct HitCandidate {
    RectF rect;
    int identity = 0;  // 0 entries are skipped
};

// 1-based number of the last entry that contains the point, 0 when none.
int hitTest(std::span<const HitCandidate> entries, float px, float py);

// The smallest positive number not in used.
int smallestFreeIdentity(std::span<const int> used);

// What Tab traversal needs to know of one control entry.
struct TabCandidate {
    bool takesInput = false;  // the control's input gate: painted and enabled
    bool focusable = false;
    bool captionButton = false;  // kind 1
    bool icon = false;
    // Wholly outside the window: the focus there would show nothing, as the
    // hit test finds nothing there.
    bool onWindow = true;
};

// The 1-based number that Tab moves the focus to from current (0 = none),
// wrapping after the last; 0 when no entry qualifies.
int nextTabStop(std::span<const TabCandidate> entries, int current);

// The sprite cell of a caption button: kind, the restore glyph while
// maximized, and the state 0 normal, 1 hover, 2 pressed. Nothing for other kinds.
struct SpriteCell {
    int x = 0;
    int width = 0;
};
std::optional<SpriteCell> captionSpriteCell(unsigned kind, bool maximized, int state);
// Cells are taken from the sprite at y 2, 19 rows high.
constexpr int kSpriteCellTop = 2;
constexpr int kSpriteCellHeight = 19;

// How far a background picture of the given size fades into the panel:
// half the size, at most 100.
int fadeMargin(int size);

}  // namespace korvel::skin
