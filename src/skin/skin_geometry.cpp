#include "skin/skin_geometry.h"

#include <algorithm>

#include "skin/toolkit_messages.h"

namespace korvel::skin {

namespace {

constexpr float kHitTolerance = 1e-7f;
constexpr int kCloseWidth = 39;
constexpr int kButtonWidth = 28;
constexpr int kButtonHeight = 19;
constexpr unsigned kNarrowKinds[] = {kCaptionMaximize, kCaptionMinimize, kCaptionExtra32,
                                     kCaptionExtra64,  kCaptionExtra128, kCaptionExtra256};

}  // namespace

bool RectF::contains(float px, float py) const {
    return px >= x - kHitTolerance && px < x + width - kHitTolerance && py >= y - kHitTolerance &&
           py < y + height - kHitTolerance;
}

bool RectF::intersects(const RectF& o) const {
    return x < o.x + o.width && o.x < x + width && y < o.y + o.height && o.y < y + height &&
           width > 0 && height > 0 && o.width > 0 && o.height > 0;
}

RectF RectF::inset(float by) const {
    return {x + by, y + by, std::max(0.0f, width - 2 * by), std::max(0.0f, height - 2 * by)};
}

int frameMargin(bool maximized) { return maximized ? 0 : 5; }

std::vector<CaptionSlot> captionButtonLayout(int width, bool maximized, unsigned captionFlags) {
    std::vector<CaptionSlot> slots;
    const int margin = frameMargin(maximized);
    int x = width - margin - 3;
    const int top = margin + 1;
    if (captionFlags & kCaptionClose) {
        x -= kCloseWidth;
        slots.push_back({kCaptionClose, {x, top, kCloseWidth, kButtonHeight}});
    }
    for (unsigned kind : kNarrowKinds) {
        if (captionFlags & kind) {
            x -= kButtonWidth;
            slots.push_back({kind, {x, top, kButtonWidth, kButtonHeight}});
        }
    }
    return slots;
}

IntRect iconRect(bool maximized) {
    const int margin = frameMargin(maximized);
    return {margin + 6, margin + 6, 16, 16};
}

int captionButtonCount(unsigned captionFlags) {
    int n = (captionFlags & kCaptionClose) ? 1 : 0;
    for (unsigned kind : kNarrowKinds) n += (captionFlags & kind) ? 1 : 0;
    return n;
}

int minTrackWidth(int buttonCount, bool hasClose) {
    return kButtonWidth * buttonCount + (hasClose ? 11 : 0) + 40;
}

std::optional<IntRect> titleRect(int width, bool maximized, unsigned captionFlags) {
    const int margin = frameMargin(maximized);
    const int left = margin + ((captionFlags & kCaptionIcon) ? 28 : 8);
    const bool hasClose = (captionFlags & kCaptionClose) != 0;
    const int buttons = kButtonWidth * captionButtonCount(captionFlags) + (hasClose ? 11 : 0);
    const int right = width - (margin + 5) - buttons;
    if (right <= left) return std::nullopt;
    return IntRect{left, margin + 6, right - left, 17};
}

unsigned completeCaptionFlags(std::optional<unsigned> given, bool hasMaximizeBox,
                              bool hasMinimizeBox) {
    unsigned flags = given.value_or(kCaptionFromStyles);
    if (flags & kCaptionFromStyles) {
        flags |= kCaptionIcon | kCaptionTitle | kCaptionClose;
        if (hasMaximizeBox) flags |= kCaptionMaximize;
        if (hasMinimizeBox) flags |= kCaptionMinimize;
    }
    return flags;
}

BorderHit borderHit(int x, int y, int w, int h) {
    const bool atRight = w - x < 10;
    const bool atBottom = h - y < 10;
    if (y <= 7) {
        if (x <= 9) return {4, kCursorSizeNwse};
        if (!atRight) return {3, kCursorSizeNs};
        return {5, kCursorSizeNesw};
    }
    if (!atBottom) {
        if (x <= 7) return {1, kCursorSizeWe};
        if (atRight) return {2, kCursorSizeWe};
        return {};
    }
    if (x <= 9) return {7, kCursorSizeNesw};
    if (!atRight) return {6, kCursorSizeNs};
    return {8, kCursorSizeNwse};
}

int hitTest(std::span<const HitCandidate> entries, float px, float py) {
    for (size_t i = entries.size(); i > 0; --i) {
        const HitCandidate& e = entries[i - 1];
        if (e.identity != 0 && e.rect.contains(px, py)) return static_cast<int>(i);
    }
    return 0;
}

int smallestFreeIdentity(std::span<const int> used) {
    std::vector<int> sorted(used.begin(), used.end());
    std::sort(sorted.begin(), sorted.end());
    int candidate = 1;
    for (int id : sorted) {
        if (id == candidate)
            ++candidate;
        else if (id > candidate)
            break;
    }
    return candidate;
}

int nextTabStop(std::span<const TabCandidate> entries, int current) {
    const int count = static_cast<int>(entries.size());
    if (count == 0) return 0;
    int start = (current >= 1 && current <= count) ? current : 0;
    for (int step = 1; step <= count; ++step) {
        const int n = (start + step - 1) % count + 1;
        const TabCandidate& e = entries[n - 1];
        if (e.takesInput && e.onWindow && e.focusable && !e.captionButton && !e.icon) return n;
    }
    return 0;
}

std::optional<SpriteCell> captionSpriteCell(unsigned kind, bool maximized, int state) {
    if (state < 0 || state > 2) return std::nullopt;
    int normal = -1;
    switch (kind) {
        case kCaptionClose:
            return SpriteCell{state * 40, kCloseWidth};
        case kCaptionMaximize:
            normal = maximized ? 207 : 120;
            break;
        case kCaptionMinimize:
            normal = 294;
            break;
        case kCaptionExtra32:
            normal = 381;
            break;
        case kCaptionExtra64:
            normal = 468;
            break;
        case kCaptionExtra128:
            normal = 555;
            break;
        case kCaptionExtra256:
            normal = 642;
            break;
        default:
            return std::nullopt;
    }
    return SpriteCell{normal + state * 29, kButtonWidth};
}

int fadeMargin(int size) { return std::min(size / 2, 100); }

}  // namespace korvel::skin
