#include "ui/result_view_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "skin/gdi_handles_win.h"
#include "text/wide_text_win.h"
#include "ui/wrapped_text.h"

namespace korvel::ui {

namespace {

constexpr int kMargin = 2;  // pixels left and right of the text, as an EDIT keeps
constexpr UINT_PTR kDragTimer = 1;
constexpr UINT kDragScrollMs = 50;
// Growing text moves the scroll bar at this pace: each redraw of the bar
// costs milliseconds, and a run adds text ten times a second.
constexpr UINT_PTR kScrollBarTimer = 2;
constexpr UINT kScrollBarPaceMs = 200;
constexpr int kTabChars = 8;
constexpr char kMenuCopy[] = "复制(&C)";
constexpr char kMenuSelectAll[] = "全选(&A)";
enum : UINT { kCommandCopy = 1, kCommandSelectAll = 2 };

constexpr COLORREF kText = RGB(0, 0, 0);
constexpr COLORREF kBackground = RGB(255, 255, 255);
constexpr COLORREF kCue = RGB(150, 150, 150);
constexpr int kCueMargin = 16;  // pixels the hint keeps from the sides

std::u16string_view asText(const wchar_t* s, size_t n) {
    return {reinterpret_cast<const char16_t*>(s), n};
}
const wchar_t* asWide(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool keyDown(int key) { return GetKeyState(key) < 0; }

class View {
  public:
    explicit View(HWND hwnd) : hwnd_(hwnd), widths_(0x10000, -1) {
        measure_ = skin::MemoryDc(CreateCompatibleDC(nullptr));
        setFont(nullptr);
    }

    LRESULT handle(UINT msg, WPARAM wp, LPARAM lp);

  private:
    // Each answers a message it handles, nothing for the others.
    std::optional<LRESULT> windowMessage(UINT msg, WPARAM wp, LPARAM lp);
    std::optional<LRESULT> inputMessage(UINT msg, WPARAM wp, LPARAM lp);
    std::optional<LRESULT> editMessage(UINT msg, WPARAM wp, LPARAM lp);

    // Layout.
    void setFont(HFONT font);
    int advanceOf(char16_t c);
    void relayout();
    int textWidth() const;
    int pageLines() const;
    size_t maxFirstLine() const;

    // Text.
    void replace(size_t from, size_t to, std::u16string_view text);
    std::u16string_view selected() const;
    size_t selStart() const { return std::min(anchor_, caret_); }
    size_t selEnd() const { return std::max(anchor_, caret_); }
    void select(size_t anchor, size_t caret);
    void copy() const;

    // View.
    void scrollTo(size_t first);
    void scrollBy(long lines);
    void ensureVisible(size_t offset);
    // `now`: at once (the reader scrolled); else within the pace.
    void updateScrollBar(bool now = true);
    void updateCaret();
    void invalidateLines(size_t first, size_t last);
    void paint();
    void paintLine(HDC dc, size_t line, int y, int right);
    void paintCue(HDC dc);
    size_t hit(int x, int y) const;

    // Input.
    size_t prevPosition(size_t at) const;
    size_t nextPosition(size_t at) const;
    void moveCaret(size_t to, bool extend, bool keepColumn = false);
    bool onKey(WPARAM key);
    void onVScroll(int code);
    void onWheel(int delta);
    void onContextMenu(int x, int y);
    void dragTo(int x, int y);

    HWND hwnd_;
    WrappedText text_;
    skin::MemoryDc measure_;
    HFONT font_ = nullptr;
    std::vector<int> widths_;  // -1: not measured yet
    int lineHeight_ = 16;
    int tabWidth_ = 32;
    int clientWidth_ = 0, clientHeight_ = 0;
    size_t firstLine_ = 0;
    size_t anchor_ = 0, caret_ = 0;
    int column_ = 0;  // the x the caret keeps on its way up and down
    bool focused_ = false;
    bool dragging_ = false;
    bool scrollBarDue_ = false;
    int wheelRest_ = 0;
    std::wstring cue_;  // drawn while there is no text; never part of it
};

// --- Layout ------------------------------------------------------------------

void View::setFont(HFONT font) {
    font_ = font;
    SelectObject(measure_.get(), font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT));
    TEXTMETRICW tm{};
    GetTextMetricsW(measure_.get(), &tm);
    lineHeight_ = std::max<int>(1, tm.tmHeight);
    tabWidth_ = kTabChars * std::max<int>(1, tm.tmAveCharWidth);
    std::fill(widths_.begin(), widths_.end(), -1);
    relayout();
}

int View::advanceOf(char16_t c) {
    if (c == u'\t') return tabWidth_;
    if (c < 0x20 || isLowSurrogate(c)) return 0;
    int& known = widths_[c];
    if (known < 0) {
        // A character outside the font comes from a linked font, whose width
        // the extent gives; a pair of surrogates is measured as a CJK square.
        const wchar_t one = isHighSurrogate(c) ? L'\x4E00' : static_cast<wchar_t>(c);
        SIZE size{};
        known = GetTextExtentPoint32W(measure_.get(), &one, 1, &size) ? size.cx : 0;
    }
    return known;
}

int View::textWidth() const { return std::max(1, clientWidth_ - 2 * kMargin); }

void View::relayout() {
    text_.relayout(textWidth(), [this](char16_t c) { return advanceOf(c); });
    firstLine_ = std::min(firstLine_, maxFirstLine());
    updateScrollBar();
    updateCaret();
    InvalidateRect(hwnd_, nullptr, FALSE);
}

int View::pageLines() const { return std::max(1, clientHeight_ / lineHeight_); }

size_t View::maxFirstLine() const {
    const size_t page = static_cast<size_t>(pageLines());
    return text_.lineCount() > page ? text_.lineCount() - page : 0;
}

// --- Text --------------------------------------------------------------------

void View::replace(size_t from, size_t to, std::u16string_view text) {
    const bool wasEmpty = text_.text().empty();
    const size_t oldLines = text_.lineCount();
    from = std::min(from, text_.size());
    const size_t firstChanged = text_.lineOf(from);
    text_.replace(from, to, text);
    // The hint goes with the first text and comes back when the last goes.
    if (!cue_.empty() && wasEmpty != text_.text().empty()) InvalidateRect(hwnd_, nullptr, FALSE);
    anchor_ = caret_ = from + text.size();
    const size_t lastVisible = firstLine_ + static_cast<size_t>(pageLines());
    if (firstLine_ > maxFirstLine()) {
        firstLine_ = maxFirstLine();
        InvalidateRect(hwnd_, nullptr, FALSE);
    } else if (firstChanged <= lastVisible) {
        invalidateLines(firstChanged, std::max(oldLines, text_.lineCount()));
    }
    updateScrollBar(false);
    updateCaret();
}

std::u16string_view View::selected() const {
    return std::u16string_view(text_.text()).substr(selStart(), selEnd() - selStart());
}

void View::select(size_t anchor, size_t caret) {
    anchor = std::min(anchor, text_.size());
    caret = std::min(caret, text_.size());
    if (anchor == anchor_ && caret == caret_) return;
    // Repaint the lines whose highlight changes: both old and new spans.
    if (anchor_ != caret_) invalidateLines(text_.lineOf(selStart()), text_.lineOf(selEnd()));
    anchor_ = anchor;
    caret_ = caret;
    if (anchor_ != caret_) invalidateLines(text_.lineOf(selStart()), text_.lineOf(selEnd()));
    updateCaret();
}

void View::copy() const {
    const std::u16string_view part = selected();
    if (part.empty() || !OpenClipboard(hwnd_)) return;
    EmptyClipboard();
    skin::GlobalMemory block(GlobalAlloc(GMEM_MOVEABLE, (part.size() + 1) * sizeof(wchar_t)));
    if (block) {
        if (auto* out = static_cast<wchar_t*>(GlobalLock(block.get()))) {
            std::copy(part.begin(), part.end(), reinterpret_cast<char16_t*>(out));
            out[part.size()] = L'\0';
            GlobalUnlock(block.get());
            // The clipboard owns the block once it is set.
            if (SetClipboardData(CF_UNICODETEXT, block.get())) block.release();
        }
    }
    CloseClipboard();
}

// --- View --------------------------------------------------------------------

void View::scrollTo(size_t first) {
    first = std::min(first, maxFirstLine());
    if (first == firstLine_) return;
    const long delta = static_cast<long>(firstLine_) - static_cast<long>(first);
    firstLine_ = first;
    if (std::labs(delta) < pageLines() + 1)
        ScrollWindowEx(hwnd_, 0, static_cast<int>(delta) * lineHeight_, nullptr, nullptr, nullptr,
                       nullptr, SW_INVALIDATE);
    else
        InvalidateRect(hwnd_, nullptr, FALSE);
    updateScrollBar();
    updateCaret();
}

void View::scrollBy(long lines) {
    const long target = static_cast<long>(firstLine_) + lines;
    scrollTo(target < 0 ? 0 : static_cast<size_t>(target));
}

void View::ensureVisible(size_t offset) {
    const size_t line = text_.lineOf(offset);
    const size_t page = static_cast<size_t>(pageLines());
    if (line < firstLine_)
        scrollTo(line);
    else if (line >= firstLine_ + page)
        scrollTo(line + 1 - page);
}

void View::updateScrollBar(bool now) {
    if (!now) {
        if (!scrollBarDue_) SetTimer(hwnd_, kScrollBarTimer, kScrollBarPaceMs, nullptr);
        scrollBarDue_ = true;
        return;
    }
    if (scrollBarDue_) KillTimer(hwnd_, kScrollBarTimer);
    scrollBarDue_ = false;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    info.nMin = 0;
    info.nMax = static_cast<int>(std::min<size_t>(text_.lineCount() - 1, INT_MAX));
    info.nPage = static_cast<UINT>(pageLines());
    info.nPos = static_cast<int>(std::min<size_t>(firstLine_, INT_MAX));
    SetScrollInfo(hwnd_, SB_VERT, &info, TRUE);
}

void View::updateCaret() {
    if (!focused_) return;
    const long line = static_cast<long>(text_.lineOf(caret_)) - static_cast<long>(firstLine_);
    SetCaretPos(kMargin + text_.xOf(caret_), static_cast<int>(line) * lineHeight_);
}

void View::invalidateLines(size_t first, size_t last) {
    if (last < firstLine_) return;
    const size_t page = static_cast<size_t>(pageLines());
    if (first > firstLine_ + page) return;
    const long top = static_cast<long>(std::max(first, firstLine_) - firstLine_);
    const long bottom = static_cast<long>(std::min(last, firstLine_ + page) - firstLine_) + 1;
    RECT r{0, static_cast<int>(top) * lineHeight_, clientWidth_,
           static_cast<int>(bottom) * lineHeight_};
    InvalidateRect(hwnd_, &r, FALSE);
}

void View::paintLine(HDC dc, size_t line, int y, int right) {
    const size_t start = text_.lineStart(line), end = text_.lineEnd(line);
    std::wstring chars;
    std::vector<INT> dx;
    chars.reserve(end - start);
    dx.reserve(end - start);
    for (size_t i = start; i < end; ++i) {
        const char16_t c = text_.text()[i];
        // Tabs and other controls take their room as blanks.
        chars.push_back(c < 0x20 ? L' ' : static_cast<wchar_t>(c));
        dx.push_back(advanceOf(c));
    }
    // Up to three runs: before, inside and after the selection.
    const size_t cuts[4] = {start, std::clamp(selStart(), start, end),
                            std::clamp(selEnd(), start, end), end};
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    const COLORREF highlightText = GetSysColor(COLOR_HIGHLIGHTTEXT);
    RECT left{0, y, kMargin, y + lineHeight_};
    SetBkColor(dc, kBackground);
    ExtTextOutW(dc, 0, y, ETO_OPAQUE, &left, nullptr, 0, nullptr);
    int x = kMargin;
    for (int run = 0; run < 3; ++run) {
        const size_t from = cuts[run] - start, to = cuts[run + 1] - start;
        if (from >= to) continue;
        int width = 0;
        for (size_t i = from; i < to; ++i) width += dx[i];
        const bool inSelection = run == 1;
        SetTextColor(dc, inSelection ? highlightText : kText);
        SetBkColor(dc, inSelection ? highlight : kBackground);
        RECT box{x, y, x + width, y + lineHeight_};
        ExtTextOutW(dc, x, y, ETO_OPAQUE | ETO_CLIPPED, &box, chars.data() + from,
                    static_cast<UINT>(to - from), dx.data() + from);
        x += width;
    }
    if (x < right) {
        RECT rest{x, y, right, y + lineHeight_};
        SetBkColor(dc, kBackground);
        ExtTextOutW(dc, x, y, ETO_OPAQUE, &rest, nullptr, 0, nullptr);
    }
}

void View::paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    if (!dc) return;
    HGDIOBJ oldFont =
        SelectObject(dc, font_ ? static_cast<HGDIOBJ>(font_) : GetStockObject(SYSTEM_FONT));
    SetBkMode(dc, OPAQUE);
    const int right = std::max<int>(clientWidth_, ps.rcPaint.right);
    size_t line = firstLine_ + static_cast<size_t>(std::max<LONG>(0, ps.rcPaint.top) / lineHeight_);
    int y = static_cast<int>(line - firstLine_) * lineHeight_;
    for (; line < text_.lineCount() && y < ps.rcPaint.bottom; ++line, y += lineHeight_)
        paintLine(dc, line, y, right);
    if (y < ps.rcPaint.bottom) {
        RECT below{ps.rcPaint.left, y, ps.rcPaint.right, ps.rcPaint.bottom};
        SetBkColor(dc, kBackground);
        ExtTextOutW(dc, 0, y, ETO_OPAQUE, &below, nullptr, 0, nullptr);
    }
    if (text_.text().empty() && !cue_.empty()) paintCue(dc);
    SelectObject(dc, oldFont);
    EndPaint(hwnd_, &ps);
}

// The hint, centred line by line in the middle of the box, in grey.
void View::paintCue(HDC dc) {
    RECT box{kCueMargin, 0, std::max(kCueMargin + 1, clientWidth_ - kCueMargin), clientHeight_};
    constexpr UINT kFormat = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX;
    RECT measured = box;
    DrawTextW(dc, cue_.c_str(), static_cast<int>(cue_.size()), &measured, kFormat | DT_CALCRECT);
    const int height = measured.bottom - measured.top;
    box.top = std::max(0, (clientHeight_ - height) / 2);
    box.bottom = box.top + height;
    SetTextColor(dc, kCue);
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, cue_.c_str(), static_cast<int>(cue_.size()), &box, kFormat);
    SetBkMode(dc, OPAQUE);
}

size_t View::hit(int x, int y) const {
    long line =
        static_cast<long>(firstLine_) + (y < 0 ? -1 - (-y - 1) / lineHeight_ : y / lineHeight_);
    line = std::clamp<long>(line, 0, static_cast<long>(text_.lineCount()) - 1);
    return text_.offsetAt(static_cast<size_t>(line), x - kMargin);
}

// --- Input -------------------------------------------------------------------

size_t View::prevPosition(size_t at) const {
    if (at == 0) return 0;
    const std::u16string& t = text_.text();
    size_t p = at - 1;
    if (p > 0 && ((t[p] == u'\n' && t[p - 1] == u'\r') || isLowSurrogate(t[p]))) --p;
    return p;
}

size_t View::nextPosition(size_t at) const {
    const std::u16string& t = text_.text();
    if (at >= t.size()) return t.size();
    if (at + 1 < t.size() && ((t[at] == u'\r' && t[at + 1] == u'\n') || isHighSurrogate(t[at])))
        return at + 2;
    return at + 1;
}

void View::moveCaret(size_t to, bool extend, bool keepColumn) {
    select(extend ? anchor_ : to, to);
    if (!keepColumn) column_ = text_.xOf(caret_);
    ensureVisible(caret_);
    updateCaret();
}

bool View::onKey(WPARAM key) {
    const bool shift = keyDown(VK_SHIFT), control = keyDown(VK_CONTROL);
    const size_t line = text_.lineOf(caret_);
    const size_t page = static_cast<size_t>(pageLines());
    const auto toLine = [&](size_t target) {
        target = std::min(target, text_.lineCount() - 1);
        moveCaret(text_.offsetAt(target, column_), shift, true);
    };
    switch (key) {
        case VK_LEFT:
            if (!shift && anchor_ != caret_)
                moveCaret(selStart(), false);
            else
                moveCaret(prevPosition(caret_), shift);
            return true;
        case VK_RIGHT:
            if (!shift && anchor_ != caret_)
                moveCaret(selEnd(), false);
            else
                moveCaret(nextPosition(caret_), shift);
            return true;
        case VK_UP:
            toLine(line > 0 ? line - 1 : 0);
            return true;
        case VK_DOWN:
            toLine(line + 1);
            return true;
        case VK_PRIOR:
            scrollTo(firstLine_ > page ? firstLine_ - page : 0);
            toLine(line > page ? line - page : 0);
            return true;
        case VK_NEXT:
            scrollTo(firstLine_ + page);
            toLine(line + page);
            return true;
        case VK_HOME:
            moveCaret(control ? 0 : text_.lineStart(line), shift);
            return true;
        case VK_END:
            moveCaret(control ? text_.size() : text_.lineEnd(line), shift);
            return true;
        case 'A':
            if (!control) return false;
            select(0, text_.size());
            return true;
        case 'C':
        case VK_INSERT:
            if (!control) return false;
            copy();
            return true;
        default:
            return false;
    }
}

void View::onVScroll(int code) {
    const long page = pageLines();
    switch (code) {
        case SB_LINEUP:
            scrollBy(-1);
            break;
        case SB_LINEDOWN:
            scrollBy(1);
            break;
        case SB_PAGEUP:
            scrollBy(-page);
            break;
        case SB_PAGEDOWN:
            scrollBy(page);
            break;
        case SB_TOP:
            scrollTo(0);
            break;
        case SB_BOTTOM:
            scrollTo(maxFirstLine());
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            // The 16-bit position of the message would wrap past 65,535 lines.
            SCROLLINFO info{};
            info.cbSize = sizeof info;
            info.fMask = SIF_TRACKPOS;
            if (GetScrollInfo(hwnd_, SB_VERT, &info))
                scrollTo(static_cast<size_t>(std::max(0, info.nTrackPos)));
            break;
        }
        default:
            break;
    }
}

void View::onWheel(int delta) {
    UINT perNotch = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &perNotch, 0);
    wheelRest_ += delta;
    const int notches = wheelRest_ / WHEEL_DELTA;
    wheelRest_ -= notches * WHEEL_DELTA;
    if (notches == 0) return;
    const long lines = perNotch == WHEEL_PAGESCROLL ? pageLines() : static_cast<long>(perNotch);
    scrollBy(-notches * lines);
}

void View::onContextMenu(int x, int y) {
    if (x == -1 && y == -1) {  // from the keyboard: at the caret
        POINT at{kMargin + text_.xOf(caret_),
                 static_cast<int>(static_cast<long>(text_.lineOf(caret_)) -
                                  static_cast<long>(firstLine_) + 1) *
                     lineHeight_};
        ClientToScreen(hwnd_, &at);
        x = at.x;
        y = at.y;
    }
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    AppendMenuW(menu, MF_STRING | (anchor_ == caret_ ? MF_GRAYED : 0), kCommandCopy,
                text::toWide(kMenuCopy).c_str());
    AppendMenuW(menu, MF_STRING | (text_.size() == 0 ? MF_GRAYED : 0), kCommandSelectAll,
                text::toWide(kMenuSelectAll).c_str());
    const UINT command =
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, hwnd_, nullptr);
    DestroyMenu(menu);
    if (command == kCommandCopy) copy();
    if (command == kCommandSelectAll) select(0, text_.size());
}

void View::dragTo(int x, int y) {
    select(anchor_, hit(x, y));
    column_ = text_.xOf(caret_);
    const bool outside = y < 0 || y >= clientHeight_;
    if (outside)
        SetTimer(hwnd_, kDragTimer, kDragScrollMs, nullptr);
    else
        KillTimer(hwnd_, kDragTimer);
}

// The window's life: its size, text, font and cue, painting, focus.
std::optional<LRESULT> View::windowMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE: {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lp);
            if (create->lpszName && !IS_INTRESOURCE(create->lpszName) && *create->lpszName)
                text_.setText(asText(create->lpszName, wcslen(create->lpszName)));
            updateScrollBar();
            return 0;
        }
        case WM_SIZE: {
            const int width = LOWORD(lp), height = HIWORD(lp);
            const bool rewrap = width != clientWidth_;
            clientWidth_ = width;
            clientHeight_ = height;
            if (rewrap) {
                relayout();
            } else {
                firstLine_ = std::min(firstLine_, maxFirstLine());
                updateScrollBar();
                InvalidateRect(hwnd_, nullptr, FALSE);
            }
            return 0;
        }
        case WM_SETFONT:
            setFont(reinterpret_cast<HFONT>(wp));
            if (focused_) {
                CreateCaret(hwnd_, nullptr, 1, lineHeight_);
                updateCaret();
                ShowCaret(hwnd_);
            }
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(font_);
        case EM_SETCUEBANNER:
            cue_ = lp ? reinterpret_cast<const wchar_t*>(lp) : L"";
            if (text_.text().empty()) InvalidateRect(hwnd_, nullptr, FALSE);
            return TRUE;
        case EM_GETCUEBANNER: {
            auto* out = reinterpret_cast<wchar_t*>(wp);
            if (!out || lp <= 0) return FALSE;
            const size_t n = std::min<size_t>(cue_.size(), static_cast<size_t>(lp) - 1);
            std::copy_n(cue_.data(), n, out);
            out[n] = L'\0';
            return TRUE;
        }
        case WM_SETTEXT: {
            const auto* s = reinterpret_cast<const wchar_t*>(lp);
            text_.setText(s ? asText(s, wcslen(s)) : std::u16string_view());
            anchor_ = caret_ = 0;
            firstLine_ = 0;
            column_ = 0;
            updateScrollBar();
            updateCaret();
            InvalidateRect(hwnd_, nullptr, FALSE);
            return TRUE;
        }
        case WM_GETTEXT: {
            auto* out = reinterpret_cast<wchar_t*>(lp);
            if (wp == 0 || !out) return 0;
            const size_t n = std::min<size_t>(text_.size(), wp - 1);
            std::copy_n(asWide(text_.text().data()), n, out);
            out[n] = L'\0';
            return static_cast<LRESULT>(n);
        }
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(text_.size());
        case WM_PAINT:
            paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;  // every pixel is painted
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTCHARS;
        case WM_SETFOCUS:
            focused_ = true;
            CreateCaret(hwnd_, nullptr, 1, lineHeight_);
            updateCaret();
            ShowCaret(hwnd_);
            return 0;
        case WM_KILLFOCUS:
            focused_ = false;
            DestroyCaret();
            return 0;
        default:
            return std::nullopt;
    }
}

// Keys, the pointer, the wheel, the scroll bar and the timers of both.
std::optional<LRESULT> View::inputMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_KEYDOWN:
            if (onKey(wp)) return 0;
            return std::nullopt;
        case WM_CHAR:
            return 0;  // read-only: typing changes nothing
        case WM_LBUTTONDOWN: {
            SetFocus(hwnd_);
            SetCapture(hwnd_);
            dragging_ = true;
            const size_t at = hit(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
            select((wp & MK_SHIFT) ? anchor_ : at, at);
            column_ = text_.xOf(caret_);
            return 0;
        }
        case WM_LBUTTONDBLCLK: {
            const auto word = text_.wordAt(hit(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)));
            select(word.first, word.second);
            column_ = text_.xOf(caret_);
            return 0;
        }
        case WM_MOUSEMOVE:
            if (dragging_) dragTo(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
            return 0;
        case WM_TIMER:
            if (wp == kScrollBarTimer) {
                updateScrollBar();
                return 0;
            }
            if (wp == kDragTimer && dragging_) {
                POINT at;
                GetCursorPos(&at);
                ScreenToClient(hwnd_, &at);
                scrollBy(at.y < 0 ? -1 : 1);
                dragTo(at.x, at.y);
                return 0;
            }
            return std::nullopt;
        case WM_LBUTTONUP:
            if (dragging_) ReleaseCapture();
            return 0;
        case WM_CAPTURECHANGED:
            dragging_ = false;
            KillTimer(hwnd_, kDragTimer);
            return 0;
        case WM_MOUSEWHEEL:
            onWheel(GET_WHEEL_DELTA_WPARAM(wp));
            return 0;
        case WM_VSCROLL:
            onVScroll(LOWORD(wp));
            return 0;
        case WM_CONTEXTMENU:
            onContextMenu(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
            return 0;
        case WM_COPY:
            copy();
            return 0;
        default:
            return std::nullopt;
    }
}

// The EDIT messages the program and its readers send: always read-only,
// unlimited, wrapping by its own rule.
std::optional<LRESULT> View::editMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CUT:
        case WM_PASTE:
        case WM_CLEAR:
        case WM_UNDO:
        case EM_UNDO:
        case EM_CANUNDO:
        case EM_GETMODIFY:
            return 0;  // read-only
        case EM_SETREADONLY:
        case EM_SETLIMITTEXT:
        case EM_SETWORDBREAKPROC:
            return TRUE;  // always read-only, unlimited, wrapping by its own rule
        case EM_GETSEL: {
            const size_t s = selStart(), e = selEnd();
            if (wp) *reinterpret_cast<DWORD*>(wp) = static_cast<DWORD>(s);
            if (lp) *reinterpret_cast<DWORD*>(lp) = static_cast<DWORD>(e);
            return MAKELRESULT(std::min<size_t>(s, 0xFFFF), std::min<size_t>(e, 0xFFFF));
        }
        case EM_SETSEL: {
            const long start = static_cast<long>(wp), end = static_cast<long>(lp);
            if (start == -1) {
                select(caret_, caret_);  // a start of -1 drops the selection
            } else {
                const size_t s = start < 0 ? text_.size() : static_cast<size_t>(start);
                const size_t e = end < 0 ? text_.size() : static_cast<size_t>(end);
                select(s, e);
            }
            column_ = text_.xOf(caret_);
            return 0;
        }
        case EM_REPLACESEL: {
            const auto* s = reinterpret_cast<const wchar_t*>(lp);
            replace(selStart(), selEnd(), s ? asText(s, wcslen(s)) : std::u16string_view());
            return 0;
        }
        case EM_GETLINECOUNT:
            return static_cast<LRESULT>(text_.lineCount());
        case EM_GETFIRSTVISIBLELINE:
            return static_cast<LRESULT>(firstLine_);
        case EM_LINESCROLL:
            scrollBy(static_cast<long>(lp));
            return TRUE;
        case EM_SCROLL: {
            const size_t before = firstLine_;
            if (wp != SB_LINEUP && wp != SB_LINEDOWN && wp != SB_PAGEUP && wp != SB_PAGEDOWN)
                return FALSE;
            onVScroll(static_cast<int>(wp));
            return MAKELRESULT(
                static_cast<WORD>(static_cast<long>(firstLine_) - static_cast<long>(before)), TRUE);
        }
        case EM_SCROLLCARET:
            ensureVisible(caret_);
            return TRUE;
        case EM_LINEFROMCHAR: {
            const long at = static_cast<long>(wp);
            return static_cast<LRESULT>(text_.lineOf(
                at < 0 ? selStart() : std::min(static_cast<size_t>(at), text_.size())));
        }
        case EM_LINEINDEX: {
            const long line = static_cast<long>(wp);
            const size_t which = line < 0 ? text_.lineOf(caret_) : static_cast<size_t>(line);
            return which < text_.lineCount() ? static_cast<LRESULT>(text_.lineStart(which)) : -1;
        }
        case EM_LINELENGTH: {
            const long at = static_cast<long>(wp);
            const size_t line =
                text_.lineOf(at < 0 ? caret_ : std::min(static_cast<size_t>(at), text_.size()));
            return static_cast<LRESULT>(text_.lineEnd(line) - text_.lineStart(line));
        }
        case EM_POSFROMCHAR: {
            if (wp > text_.size()) return -1;
            const long line = static_cast<long>(text_.lineOf(wp)) - static_cast<long>(firstLine_);
            return MAKELRESULT(static_cast<WORD>(kMargin + text_.xOf(wp)),
                               static_cast<WORD>(static_cast<short>(line * lineHeight_)));
        }
        case EM_CHARFROMPOS: {
            const size_t at = hit(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
            return MAKELRESULT(static_cast<WORD>(at), static_cast<WORD>(text_.lineOf(at)));
        }
        case EM_GETLINE: {
            auto* out = reinterpret_cast<wchar_t*>(lp);
            if (!out || wp >= text_.lineCount()) return 0;
            const size_t room = *reinterpret_cast<const WORD*>(out);
            const size_t start = text_.lineStart(wp);
            const size_t n = std::min(text_.lineEnd(wp) - start, room);
            std::copy_n(asWide(text_.text().data() + start), n, out);
            return static_cast<LRESULT>(n);
        }
        default:
            return std::nullopt;
    }
}

LRESULT View::handle(UINT msg, WPARAM wp, LPARAM lp) {
    std::optional<LRESULT> result = windowMessage(msg, wp, lp);
    if (!result) result = inputMessage(msg, wp, lp);
    if (!result) result = editMessage(msg, wp, lp);
    return result ? *result : DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT CALLBACK viewProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* view = reinterpret_cast<View*>(GetWindowLongPtrW(hwnd, 0));
    if (msg == WM_NCCREATE) {
        view = new (std::nothrow) View(hwnd);
        if (!view) return FALSE;
        SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(view));
    }
    if (!view) return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, 0, 0);
        delete view;
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    return view->handle(msg, wp, lp);
}

}  // namespace

bool registerResultView() {
    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = viewProc;
        wc.cbWndExtra = sizeof(View*);
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_IBEAM);
        wc.lpszClassName = kResultViewClass;
        return RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

}  // namespace korvel::ui
