#include "ui/result_box_win.h"

#include "text/wide_text_win.h"

namespace korvel::ui {

namespace {

// A selection bound the box clamps to the end of its text.
constexpr WPARAM kPastTheEnd = 0x7FFFFFFE;

}  // namespace

void ResultBox::setText(const std::string& text) {
    SetWindowTextW(window_, text::toWide(text).c_str());
}

std::string ResultBox::text() const {
    const int length = GetWindowTextLengthW(window_);
    if (length <= 0) return {};
    std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(window_, buffer.data(), length + 1);
    buffer.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text::toGbk(buffer);
}

void ResultBox::append(const std::string& text) {
    if (text.empty()) return;
    const std::wstring wide = text::toWide(text);
    // The view and the selection stay where the reader has them, so the
    // lines on screen are painted again only when the new text shows there.
    DWORD selStart = 0, selEnd = 0;
    SendMessageW(window_, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart),
                 reinterpret_cast<LPARAM>(&selEnd));
    const LRESULT firstLine = SendMessageW(window_, EM_GETFIRSTVISIBLELINE, 0, 0);
    // A start beyond the text stands for its end, so the length is never read.
    SendMessageW(window_, EM_SETSEL, kPastTheEnd, kPastTheEnd);
    SendMessageW(window_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()));
    SendMessageW(window_, EM_SETSEL, selStart, selEnd);
    const LRESULT nowFirst = SendMessageW(window_, EM_GETFIRSTVISIBLELINE, 0, 0);
    if (nowFirst != firstLine) SendMessageW(window_, EM_LINESCROLL, 0, firstLine - nowFirst);
}

}  // namespace korvel::ui
