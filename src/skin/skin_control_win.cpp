#include "skin/skin_control_win.h"

#include <algorithm>
#include <vector>

#include "skin/push_state.h"
#include "skin/skin_engine_win.h"
#include "skin/skin_window_table_win.h"
#include "text/wide_text_win.h"

namespace korvel::skin {

namespace {

constexpr int kTooltipDelayMs = 500;
constexpr int kTooltipMaxWidth = 1024;

// Tokens are never kNoControl and never reused within a run (2^32
// registrations would be needed to wrap).
ControlToken nextToken() {
    static std::uint32_t last = 0;
    if (++last == 0) ++last;
    return ControlToken{last};
}

InputRoot* inputOf(const SkinControl& control) {
    SkinEngine* engine = control.Engine();
    return engine ? &engine->Input() : nullptr;
}

RECT toRect(const RectF& r) {
    return {static_cast<LONG>(r.x), static_cast<LONG>(r.y), static_cast<LONG>(r.x + r.width),
            static_cast<LONG>(r.y + r.height)};
}

}  // namespace

SkinControl::~SkinControl() {
    if (IsRegistered()) Remove();
}

bool SkinControl::Register(HWND hwnd, const RectF& rect, int kind, int active, bool focusable,
                           int cursor) {
    if (IsRegistered()) return false;
    const int window = FindWindowNumber(hwnd);
    SkinWindowRecord* record = WindowRecord(window);
    if (!record) return false;
    std::vector<int> used;
    used.reserve(record->controls.size());
    for (const ControlEntry& e : record->controls) used.push_back(e.identity);
    ControlEntry entry;
    entry.hwnd = hwnd;
    entry.rect = rect;
    entry.identity = smallestFreeIdentity(used);
    entry.control = this;
    entry.kind = kind;
    entry.active = active;
    entry.focusable = focusable;
    record->controls.push_back(entry);
    rect_ = rect;
    windowNumber_ = window;
    controlNumber_ = static_cast<int>(record->controls.size());
    visible_ = true;
    tooltip_.clear();
    toolAdded_ = false;
    token_ = nextToken();
    cursor_ = cursor;
    return true;
}

bool SkinControl::CanPaint() const {
    const ControlEntry* e = Entry();
    return e && (e->active & 1) && visible_;
}

bool SkinControl::Visible(bool value) {
    visible_ = value;
    if (InputRoot* input = inputOf(*this); input && !value)
        input->LeaveInput(token_, LeaveReason::CannotTakeInput);
    return visible_;
}

HWND SkinControl::Hwnd() const {
    const ControlEntry* e = Entry();
    return e ? e->hwnd : nullptr;
}

RectF SkinControl::Rectangle() const {
    const ControlEntry* e = Entry();
    return e ? e->rect : rect_;
}

int SkinControl::Identity() const {
    const ControlEntry* e = Entry();
    return e ? e->identity : 0;
}

int SkinControl::Kind() const {
    const ControlEntry* e = Entry();
    return e ? e->kind : 0;
}

SkinEngine* SkinControl::Engine() const {
    SkinWindowRecord* record = WindowRecord(windowNumber_);
    return record ? record->engine : nullptr;
}

ControlEntry* SkinControl::Entry() const { return FindControlEntry(windowNumber_, controlNumber_); }

int SkinControl::Disabled(int value) {
    disabled_ = value;
    // A control held down when it is disabled must not click on the release.
    if (InputRoot* input = inputOf(*this); input && value)
        input->LeaveInput(token_, LeaveReason::CannotTakeInput);
    Repaint();
    return disabled_;
}

int SkinControl::Left(int value) {
    Move(static_cast<float>(value));
    return Left();
}

int SkinControl::Top(int value) {
    Move(std::nullopt, static_cast<float>(value));
    return Top();
}

int SkinControl::Width(int value) {
    Move(std::nullopt, std::nullopt, static_cast<float>(value));
    return Width();
}

int SkinControl::Height(int value) {
    Move(std::nullopt, std::nullopt, std::nullopt, static_cast<float>(value));
    return Height();
}

int SkinControl::Active() const {
    const ControlEntry* e = Entry();
    return e ? e->active : 0;
}

int SkinControl::Active(int flags) {
    ControlEntry* e = Entry();
    if (!e) return 0;
    if (!(flags & 1) && !(e->active & 1)) return 0;
    e->active = flags;
    const HWND hwnd = e->hwnd;
    if (flags != 0) {
        SendToControl(windowNumber_, controlNumber_, hwnd, kMsgActivated, 0, 0, 1, 1);
        Repaint();
    } else {
        const RectF r = e->rect;
        SendToControl(windowNumber_, controlNumber_, hwnd, kMsgDeactivated, 0, 0, 1, 1);
        if (SkinEngine* engine = Engine()) {
            engine->Input().LeaveInput(token_, LeaveReason::CannotTakeInput);
            engine->RecomposeArea(r);
        }
    }
    return flags;
}

void SkinControl::Move(std::optional<float> x, std::optional<float> y, std::optional<float> width,
                       std::optional<float> height, bool redraw) {
    ControlEntry* e = Entry();
    RectF& target = e ? e->rect : rect_;
    const RectF old = target;
    if (x) target.x = *x;
    if (y) target.y = *y;
    if (width) target.width = std::max(0.0f, *width);
    if (height) target.height = std::max(0.0f, *height);
    rect_ = target;
    if (!e) return;
    SkinEngine* engine = Engine();
    if (redraw && engine && !engine->IsComposing()) {
        const int saved = e->active;
        e->active = 0;
        engine->RecomposeArea(old);
        if (ControlEntry* again = Entry()) again->active = saved;
        Repaint();
    }
    // The tip follows its control, so it shows over the control's new place only.
    if (toolAdded_ && engine && engine->TooltipWindow()) {
        TTTOOLINFOW info{};
        info.cbSize = TTTOOLINFOW_V1_SIZE;
        info.hwnd = Hwnd();
        info.uId = static_cast<UINT_PTR>(token_);
        info.rect = toRect(rect_);
        SendMessageW(engine->TooltipWindow(), TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&info));
    }
}

void SkinControl::Repaint() {
    if (!CanPaint()) return;
    SendToControl(windowNumber_, controlNumber_, Hwnd(), kMsgPaint, 0, kPaintCurrent);
}

void SkinControl::ZOrder(int position, int) {
    if (SkinEngine* engine = Engine()) engine->MoveInZOrder(controlNumber_, position != 0);
    Repaint();
}

const std::string& SkinControl::Tooltip(const std::string& text, bool update) {
    tooltip_ = text;
    SkinEngine* engine = Engine();
    if (update && toolAdded_ && engine && engine->TooltipWindow()) {
        const std::wstring wide = text::toWide(tooltip_);
        TTTOOLINFOW info{};
        info.cbSize = TTTOOLINFOW_V1_SIZE;
        info.hwnd = Hwnd();
        info.uId = static_cast<UINT_PTR>(token_);
        info.lpszText = const_cast<wchar_t*>(wide.c_str());
        SendMessageW(engine->TooltipWindow(), TTM_UPDATETIPTEXTW, 0,
                     reinterpret_cast<LPARAM>(&info));
    }
    return tooltip_;
}

void SkinControl::ShowTooltip(const std::string& text) {
    SkinEngine* engine = Engine();
    if (!engine || !engine->TooltipWindow()) return;
    const HWND tip = engine->TooltipWindow();
    SendMessageW(tip, TTM_POP, 0, 0);
    if (text.empty()) return;
    const std::wstring wide = text::toWide(text);
    TTTOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V1_SIZE;
    info.uFlags = TTF_SUBCLASS;
    info.hwnd = Hwnd();
    info.rect = toRect(Rectangle());
    info.lpszText = const_cast<wchar_t*>(wide.c_str());
    // The tool's id is the token, not the control number: numbers shift and
    // would let a later control's tool take an id still in use.
    info.uId = static_cast<UINT_PTR>(token_);
    if (!toolAdded_) {
        SetWindowPos(tip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
        toolAdded_ = SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)) != 0;
        SendMessageW(tip, TTM_SETDELAYTIME, TTDT_INITIAL, kTooltipDelayMs);
        SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, kTooltipMaxWidth);
    }
    SendMessageW(tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

bool SkinControl::IsFocused() const {
    const InputRoot* input = inputOf(*this);
    return input && IsRegistered() && input->Focused() == token_;
}

bool SkinControl::IsHovered() const {
    const InputRoot* input = inputOf(*this);
    return input && IsRegistered() && input->Hovered() == token_;
}

bool SkinControl::IsPressed() const {
    const InputRoot* input = inputOf(*this);
    return input && IsRegistered() && input->Pressed() == token_;
}

bool SkinControl::Focusable() const {
    const ControlEntry* e = Entry();
    return e && e->focusable;
}

bool SkinControl::Focusable(bool value) {
    ControlEntry* e = Entry();
    if (!e) return false;
    return e->focusable = value;
}

bool SkinControl::Remove() {
    SkinEngine* engine = Engine();
    if (!engine || !IsRegistered()) return false;
    return engine->RemoveControl(controlNumber_);
}

void SkinControl::BindEvent(unsigned message, ControlBinding subroutine) {
    for (auto& [msg, fn] : bindings_) {
        if (msg == message) {
            fn = std::move(subroutine);
            return;
        }
    }
    bindings_.emplace_back(message, std::move(subroutine));
}

bool SkinControl::CallBinding(unsigned message, int window, int control, WPARAM wParam,
                              LPARAM lParam, int extra) const {
    for (const auto& [msg, fn] : bindings_) {
        if (msg == message && fn) {
            fn(window, control, wParam, lParam, extra);
            return true;
        }
    }
    return false;
}

GpGraphics* SkinControl::BeginRepaint() {
    SkinEngine* engine = Engine();
    return engine ? engine->BeginControlRepaint(controlNumber_) : nullptr;
}

void SkinControl::EndRepaint(bool immediate) {
    if (SkinEngine* engine = Engine()) engine->EndControlRepaint(controlNumber_, immediate);
}

void SkinControl::FadeTick(int& fadeAlpha, WPARAM) {
    SkinEngine* engine = Engine();
    if (!engine) return;
    // Through the engine, so the timer also leaves its table and no
    // renumbering starts the finished fade again.
    if (fadeAlpha > 254 || !CanPaint()) {
        fadeAlpha = 0;
        engine->StopControlTimer(controlNumber_);
        return;
    }
    fadeAlpha = std::min(fadeAlpha + 51, 255);
    engine->BlendRect(engine->ControlBounds(controlNumber_), fadeAlpha);
}

bool SkinControl::AcceptsFaceInput(unsigned message, int extra, unsigned lastMessage,
                                   bool pressedHere) const {
    if (!isFaceMessage(message)) return false;
    FaceInput in;
    in.message = message;
    in.disabled = disabled_ != 0;
    in.extra = extra;
    in.lastMessage = lastMessage;
    in.isPressedControl = pressedHere;
    return acceptsFaceMessage(in);
}

LRESULT SendToControl(int window, int control, HWND hwnd, UINT message, WPARAM wParam,
                      LPARAM lParam, int extra, int force) {
    ControlEntry* e = FindControlEntry(window, control);
    if (!e || !e->control) return 0;
    SkinControl* target = e->control;
    if (!(force & 1) && !target->CanPaint()) return 0;
    const LRESULT result =
        target->HandleMessage(hwnd, message, wParam, lParam, window, control, extra);
    target->CallBinding(message, window, control, wParam, lParam, extra);
    return result;
}

}  // namespace korvel::skin
