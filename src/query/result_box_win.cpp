#include "query/result_box_win.h"

#include <string_view>

#include "query/word_breaks.h"
#include "text/wide_text_win.h"

namespace korvel::query {

namespace {

// The largest limit a multi-line edit takes.
constexpr WPARAM kTextLimit = 0x7FFFFFFE;
// A selection bound the control clamps to the end of its text.
constexpr WPARAM kPastTheEnd = 0x7FFFFFFE;

// The tick of the box whose append is laying out lines on this thread.
thread_local const std::function<void()>* layoutTick = nullptr;

// Wrapping asks for word breaks. Wine's own answer analyses the whole text of
// the box after every change, so each append would cost what the box holds;
// this one looks at the line being wrapped only.
int CALLBACK wrapBreak(LPWSTR text, int index, int count, int code) {
    // Wrapping is where an append spends its time, a line at a time.
    if (layoutTick && *layoutTick) (*layoutTick)();
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
    const std::wstring wide = text::toWide(text);
    // The view and the selection stay where the reader has them: following
    // the end would repaint the last lines of the box after every append, and
    // on Wine each of those lines costs a walk of the whole line list.
    DWORD selStart = 0, selEnd = 0;
    SendMessageW(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart),
                 reinterpret_cast<LPARAM>(&selEnd));
    const LRESULT firstLine = SendMessageW(edit_, EM_GETFIRSTVISIBLELINE, 0, 0);
    // A start beyond the text stands for its end, so the length is never read.
    SendMessageW(edit_, EM_SETSEL, kPastTheEnd, kPastTheEnd);
    layoutTick = &layoutTick_;
    SendMessageW(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()));
    layoutTick = nullptr;
    if (layoutTick_) layoutTick_();
    SendMessageW(edit_, EM_SETSEL, selStart, selEnd);
    const LRESULT nowFirst = SendMessageW(edit_, EM_GETFIRSTVISIBLELINE, 0, 0);
    if (nowFirst != firstLine) SendMessageW(edit_, EM_LINESCROLL, 0, firstLine - nowFirst);
}

}  // namespace korvel::query
