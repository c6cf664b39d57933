// The result view's text and its lines as they wrap in the view's width.
// Lines end at "\r\n" or a lone "\n"; a line wider than the view wraps after
// a blank or next to a CJK character, else before the character that does not
// fit. Adding text at the end lays out only the last line and what is new, so
// a run that adds megabytes pays for each character once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::ui {

class WrappedText {
  public:
    // The advance of one UTF-16 unit in pixels. A pair of surrogates carries
    // its width on the first unit.
    using Advance = std::function<int(char16_t)>;

    WrappedText();

    // Lays everything out again: for a new width or a new font.
    void relayout(int width, Advance advance);

    const std::u16string& text() const { return text_; }
    size_t size() const { return text_.size(); }
    void setText(std::u16string_view text);
    void append(std::u16string_view text);
    // Replaces [from, to) (clamped to the text); the lines from the one that
    // holds `from` on are laid out again.
    void replace(size_t from, size_t to, std::u16string_view text);

    // Display lines: at least one (the empty text has one empty line).
    size_t lineCount() const { return starts_.size(); }
    size_t lineStart(size_t line) const;
    // Where the line's characters end, before its "\r\n" or "\n".
    size_t lineEnd(size_t line) const;
    // The display line that holds `offset` (a wrap position belongs to the
    // line it starts).
    size_t lineOf(size_t offset) const;
    // Pixels from the line's start to `offset` on it.
    int xOf(size_t offset) const;
    // The position on `line` nearest to `x` pixels from its start.
    size_t offsetAt(size_t line, int x) const;
    // The word around `offset` (for a double click): [first, second).
    std::pair<size_t, size_t> wordAt(size_t offset) const;

    int width() const { return width_; }
    int advance(char16_t c) const;

  private:
    // Lays out from `from`, the start of a text line, to the end of the text.
    void layoutFrom(size_t from);
    // The start of the text line that holds `offset`.
    size_t textLineStart(size_t offset) const;

    std::u16string text_;
    std::vector<uint32_t> starts_;  // first character of each display line
    int width_ = 0;
    Advance advance_;
};

}  // namespace korvel::ui
