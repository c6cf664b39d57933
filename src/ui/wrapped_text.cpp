#include "ui/wrapped_text.h"

#include <algorithm>

#include "ui/word_breaks.h"

namespace korvel::ui {

namespace {

bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

WrappedText::WrappedText() : starts_{0} {}

int WrappedText::advance(char16_t c) const { return advance_ ? advance_(c) : 0; }

void WrappedText::relayout(int width, Advance advance) {
    width_ = width;
    advance_ = std::move(advance);
    layoutFrom(0);
}

void WrappedText::setText(std::u16string_view text) {
    text_.assign(text);
    layoutFrom(0);
}

void WrappedText::append(std::u16string_view text) {
    if (text.empty()) return;
    // The last text line may grow, and a "\r" at its end may meet its "\n".
    const size_t from = textLineStart(text_.size());
    text_.append(text);
    layoutFrom(from);
}

void WrappedText::replace(size_t from, size_t to, std::u16string_view text) {
    from = std::min(from, text_.size());
    to = std::clamp(to, from, text_.size());
    text_.replace(from, to - from, text);
    layoutFrom(textLineStart(from));
}

size_t WrappedText::textLineStart(size_t offset) const {
    if (offset == 0 || text_.empty()) return 0;
    // A "\r" ends no line alone, so text added after one may still complete
    // the line end of the line it is on.
    const size_t nl = text_.find_last_of(u'\n', std::min(offset, text_.size()) - 1);
    return nl == std::u16string::npos ? 0 : nl + 1;
}

void WrappedText::layoutFrom(size_t from) {
    starts_.erase(std::lower_bound(starts_.begin(), starts_.end(), from), starts_.end());
    starts_.push_back(static_cast<uint32_t>(from));
    const std::u16string_view all(text_);
    for (size_t p = from;;) {
        const size_t nl = all.find(u'\n', p);
        size_t end = nl == std::u16string_view::npos ? all.size() : nl;
        if (end > p && all[end - 1] == u'\r' && nl != std::u16string_view::npos) --end;
        if (width_ > 0) {
            const std::u16string_view line = all.substr(p, end - p);
            size_t start = 0, brk = 0;
            int x = 0, xAtBrk = 0;
            for (size_t i = 0; i < line.size(); ++i) {
                const char16_t c = line[i];
                if (i > start && canBreakBefore(line, static_cast<int>(i))) {
                    brk = i;
                    xAtBrk = x;
                }
                const int w = advance(c);
                // Blanks may hang past the edge; a pair of surrogates stays whole.
                if (x + w > width_ && i > start && !ui::isBlank(c) && !isLowSurrogate(c)) {
                    if (brk > start) {
                        start = brk;
                        x -= xAtBrk;
                        starts_.push_back(static_cast<uint32_t>(p + start));
                    }
                    if (x + w > width_ && i > start) {
                        start = i;
                        x = 0;
                        starts_.push_back(static_cast<uint32_t>(p + start));
                    }
                }
                x += w;
            }
        }
        if (nl == std::u16string_view::npos) break;
        p = nl + 1;
        starts_.push_back(static_cast<uint32_t>(p));
    }
}

size_t WrappedText::lineStart(size_t line) const {
    return line < starts_.size() ? starts_[line] : text_.size();
}

size_t WrappedText::lineEnd(size_t line) const {
    if (line >= starts_.size()) return text_.size();
    const size_t start = starts_[line];
    size_t end = line + 1 < starts_.size() ? starts_[line + 1] : text_.size();
    if (end > start && text_[end - 1] == u'\n') {
        --end;
        if (end > start && text_[end - 1] == u'\r') --end;
    }
    return end;
}

size_t WrappedText::lineOf(size_t offset) const {
    const auto it = std::upper_bound(starts_.begin(), starts_.end(), offset);
    return static_cast<size_t>(it - starts_.begin()) - 1;
}

int WrappedText::xOf(size_t offset) const {
    const size_t line = lineOf(offset);
    const size_t end = std::min(offset, lineEnd(line));
    int x = 0;
    for (size_t i = lineStart(line); i < end; ++i) x += advance(text_[i]);
    return x;
}

size_t WrappedText::offsetAt(size_t line, int x) const {
    line = std::min(line, starts_.size() - 1);
    const size_t end = lineEnd(line);
    int at = 0;
    for (size_t i = lineStart(line); i < end; ++i) {
        const int w = advance(text_[i]);
        if (!isLowSurrogate(text_[i]) && x < at + (w + 1) / 2) return i;
        at += w;
    }
    return end;
}

std::pair<size_t, size_t> WrappedText::wordAt(size_t offset) const {
    offset = std::min(offset, text_.size());
    const size_t first = textLineStart(offset);
    size_t last = text_.find(u'\n', first);
    if (last == std::u16string::npos) last = text_.size();
    if (last > first && text_[last - 1] == u'\r' && last < text_.size()) --last;
    if (offset >= last) return {offset, offset};
    const std::u16string_view line = std::u16string_view(text_).substr(first, last - first);
    const int at = static_cast<int>(offset - first);
    return {first + static_cast<size_t>(wordBreak(line, at + 1, WordBreakAction::kLeft)),
            first + static_cast<size_t>(wordBreak(line, at, WordBreakAction::kRight))};
}

}  // namespace korvel::ui
