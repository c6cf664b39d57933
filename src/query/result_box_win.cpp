#include "query/result_box_win.h"

#include <string_view>

#include "query/word_breaks.h"
#include "text/wide_text_win.h"

namespace korvel::query {

namespace {

// The largest limit a multi-line edit takes.
constexpr WPARAM kTextLimit = 0x7FFFFFFE;

// Wrapping asks for word breaks. Wine's own answer analyses the whole text of
// the box after every change, so each append would cost what the box holds;
// this one looks at the line being wrapped only.
int CALLBACK wrapBreak(LPWSTR text, int index, int count, int code) {
    const std::u16string_view line(reinterpret_cast<const char16_t*>(text),
                                   static_cast<size_t>(count > 0 ? count : 0));
    const WordBreakAction action = code == WB_LEFT    ? WordBreakAction::kLeft
                                   : code == WB_RIGHT ? WordBreakAction::kRight
                                                      : WordBreakAction::kIsDelimiter;
    return wordBreak(line, index, action);
}

}  // namespace

ResultBox::ResultBox(HWND edit) : edit_(edit) {
    SendMessageW(edit_, EM_SETLIMITTEXT, kTextLimit, 0);
    SendMessageW(edit_, EM_SETWORDBREAKPROC, 0, reinterpret_cast<LPARAM>(wrapBreak));
}

void ResultBox::setText(const std::string& text) {
    SetWindowTextW(edit_, text::toWide(text).c_str());
}

std::string ResultBox::text() const {
    const int length = GetWindowTextLengthW(edit_);
    if (length <= 0) return {};
    std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(edit_, buffer.data(), length + 1);
    buffer.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text::toGbk(buffer);
}

void ResultBox::append(const std::string& text) {
    if (text.empty()) return;
    const WPARAM end = static_cast<WPARAM>(GetWindowTextLengthW(edit_));
    SendMessageW(edit_, EM_SETSEL, end, static_cast<LPARAM>(end));
    SendMessageW(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text::toWide(text).c_str()));
}

}  // namespace korvel::query
