#include "dialogs/message_box_layout.h"

#include <charconv>

#include "dialogs/message_box_texts.h"

namespace korvel::dialogs {

namespace {

constexpr BoxButton kSetOk[] = {{kButtonOk, kResultOk}};
constexpr BoxButton kSetCancelOk[] = {{kButtonCancel, kResultCancel}, {kButtonOk, kResultOk}};
constexpr BoxButton kSetAbortRetryIgnore[] = {
    {kButtonAbort, kResultAbort}, {kButtonRetry, kResultRetry}, {kButtonIgnore, kResultIgnore}};
constexpr BoxButton kSetCancelNoYes[] = {
    {kButtonCancel, kResultCancel}, {kButtonNo, kResultNo}, {kButtonYes, kResultYes}};
constexpr BoxButton kSetNoYes[] = {{kButtonNo, kResultNo}, {kButtonYes, kResultYes}};
constexpr BoxButton kSetCancelRetry[] = {{kButtonCancel, kResultCancel},
                                         {kButtonRetry, kResultRetry}};

constexpr std::span<const BoxButton> kSets[] = {kSetOk,          kSetCancelOk, kSetAbortRetryIgnore,
                                                kSetCancelNoYes, kSetNoYes,    kSetCancelRetry};

constexpr int kFirstStep[] = {83, 158, 233};
constexpr int kResizedStep[] = {85, 165, 245};

}  // namespace

std::span<const BoxButton> boxButtons(int buttonSet) {
    if (buttonSet < 0 || buttonSet >= static_cast<int>(std::size(kSets))) return {};
    return kSets[buttonSet];
}

BoxLayout initialBoxLayout(bool icon) {
    BoxLayout layout;
    layout.text = icon ? skin::RectF{85, 43, kBoxWidth - 120.0f, kBoxHeight - 100.0f}
                       : skin::RectF{30, 43, kBoxWidth - 60.0f, kBoxHeight - 100.0f};
    return layout;
}

BoxLayout fitBoxText(bool icon, float measuredWidth, float measuredHeight) {
    BoxLayout layout = initialBoxLayout(icon);
    const float initialTextWidth = layout.text.width;
    if (measuredWidth > layout.text.width) {
        layout.width = static_cast<int>(measuredWidth + (kBoxWidth - initialTextWidth));
        layout.text.width = measuredWidth + 10;
    }
    if (measuredHeight > layout.text.height) {
        layout.height = static_cast<int>(measuredHeight + 100);
        layout.text.height = measuredHeight + 5;
    }
    if (measuredHeight < 30) layout.text.y += 4;
    return layout;
}

Point centredOrigin(int screenWidth, int screenHeight, int width, int height) {
    return {(screenWidth - width) / 2, (screenHeight - height) / 2};
}

skin::IntRect boxButtonRect(int index, int width, int height, bool afterResize) {
    if (index < 0 || index >= kMaxBoxButtons) return {};
    const int step = afterResize ? kResizedStep[index] : kFirstStep[index];
    return {width - step, height - 36, kBoxButtonWidth, kBoxButtonHeight};
}

int iconColumn(int icon) {
    switch (icon) {
        case kIconWarning:
            return 40;
        case kIconQuestion:
            return 80;
        case kIconInformation:
            return 120;
        case kIconSuccess:
            return 160;
        default:
            return 0;
    }
}

unsigned beepType(int icon) {
    switch (icon) {
        case kIconError:
        case kIconQuestion:
        case kIconWarning:
        case kIconInformation:
            return static_cast<unsigned>(icon);
        default:
            return 0;
    }
}

std::array<GradientBand, 3> boxBands(int width, int height) {
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    return {{{{5, 5, w - 10, 40.1f}, 1, 190},
             {{5, 44, w - 10, h - 84}, 188, 240},
             {{5, h - 40, w - 10, 35}, 190, 1}}};
}

Line boxSeparator(int width, int height) {
    return {6, static_cast<float>(height - 40), static_cast<float>(width - 6),
            static_cast<float>(height - 40)};
}

std::optional<long long> parseDecimal(std::string_view text) {
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc{} || ptr != end) return std::nullopt;
    return value;
}

}  // namespace korvel::dialogs
