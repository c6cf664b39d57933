// SkinEngine: taking a window over, tearing it down, control bookkeeping and
// the simple properties. Drawing is in skin_engine_redraw_win.cpp, the window
// procedure in skin_engine_proc_win.cpp; input is the input root's
// (input_root_win.cpp).
#include "skin/skin_engine_win.h"

#include <commctrl.h>

#include <algorithm>
#include <map>

#include "skin/caption_button_win.h"
#include "skin/skin_color.h"
#include "skin/skin_control_win.h"
#include "skin/skin_toolkit_win.h"

namespace korvel::skin {

namespace {

constexpr wchar_t kEngineProperty[] = L"addr_wnd";

// Stands in for the window icon until a picture box class provides it: an
// empty picture, which draws nothing but still opens the system menu.
class WindowIcon : public SkinControl {
  public:
    LRESULT HandleMessage(HWND, UINT, WPARAM, LPARAM, int, int, int) override { return 0; }
};

SkinEngine::IconFactory& iconFactory() {
    static SkinEngine::IconFactory factory;
    return factory;
}

}  // namespace

SkinEngine::SkinEngine() = default;

SkinEngine::~SkinEngine() { Detach(); }

void SkinEngine::SetIconFactory(IconFactory factory) { iconFactory() = std::move(factory); }

SkinWindowRecord* SkinEngine::Record() const { return record_.get(); }

bool SkinEngine::Maximized() const { return hwnd_ && IsZoomed(hwnd_); }

bool SkinEngine::Attach(HWND hwnd, std::span<const std::uint8_t> picture,
                        const AttachOptions& options) {
    if (!hwnd || !IsWindow(hwnd)) return false;
    if (record_) Detach();
    background_.LoadFromBytes(picture);
    forgetPicture();
    if (options.panelColor) {
        panelColor_ = *options.panelColor & 0x00FFFFFFu;
    } else if (background_) {
        const SamplePoint at = panelSamplePoint(background_.Width(), background_.Height());
        panelColor_ = argbToColor(background_.Pixel(at.x, at.y));
    }
    LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    const unsigned flags = completeCaptionFlags(options.captionFlags, (style & WS_MAXIMIZEBOX) != 0,
                                                (style & WS_MINIMIZEBOX) != 0);
    if (!options.captionFlags || *options.captionFlags != 0) style |= WS_SYSMENU;
    if (options.notResizable)
        style &= ~static_cast<LONG_PTR>(WS_THICKFRAME);
    else
        style |= WS_THICKFRAME;
    SetWindowLongPtrW(hwnd, GWL_STYLE, style);
    captionFlags_ = flags;
    notResizable_ = options.notResizable;
    notDraggable_ = options.notDraggable;
    edgeHighlight_ = options.edgeHighlight;
    frameStyle_ = options.frameStyle;
    nineGrid_ = options.frameStyle == 1 ? options.nineGrid : NineGrid{};
    if (!InitWindow(hwnd, options.stretchImage, options.fadeControls, options.alpha)) return false;
    tooltip_.reset(CreateWindowExW(0, TOOLTIPS_CLASSW, L"", TTS_ALWAYSTIP, 0, 0, 0, 0, nullptr,
                                   nullptr, nullptr, nullptr));
    return true;
}

bool SkinEngine::InitWindow(HWND hwnd, bool stretchImage, bool fadeControls, int alpha) {
    if (record_) {
        // A second call on the same window only makes a new caption set.
        if (record_->hwnd != hwnd) return false;
        createCaptionControls(hwnd);
        return Redraw();
    }
    record_ = std::make_unique<SkinWindowRecord>();
    record_->engine = this;
    record_->hwnd = hwnd;
    record_->stretchImage = stretchImage;
    record_->fadeControls = fadeControls;
    record_->alpha = alpha < -1 ? -1 : std::min(alpha, 255);
    hwnd_ = hwnd;
    windowNumber_ = AddWindowRecord(record_.get());
    SetPropW(hwnd, kEngineProperty, this);
    refreshWindowRect();
    width_ = record_->windowRect.right - record_->windowRect.left;
    height_ = record_->windowRect.bottom - record_->windowRect.top;
    record_->windowDc = WindowDc(hwnd);
    HDC dc = record_->windowDc.get();
    record_->present.Make(dc, GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK));
    record_->compose.Make(dc, width_, height_);
    if (record_->alpha != -1) {
        record_->layer.Make(dc, width_, height_);
        SetWindowLongPtrW(hwnd, GWL_EXSTYLE, GetWindowLongPtrW(hwnd, GWL_EXSTYLE) | WS_EX_LAYERED);
    }
    previousProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc)));
    // The frame styles changed and WM_NCCALCSIZE now removes the system frame.
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (captionFlags_) createCaptionControls(hwnd);
    Redraw();
    return true;
}

void SkinEngine::createCaptionControls(HWND hwnd) {
    clearCaptionControls();
    if (!captionFlags_) return;
    for (const CaptionSlot& slot : captionButtonLayout(width_, Maximized(), captionFlags_)) {
        auto button = std::make_unique<CaptionButton>();
        button->Create(hwnd, slot.rect.x, slot.rect.y, slot.rect.width, slot.rect.height,
                       slot.kind);
        captionButtons_.push_back(std::move(button));
    }
    if (captionFlags_ & kCaptionIcon) {
        const IntRect at = iconRect(Maximized());
        if (iconFactory()) icon_ = iconFactory()(hwnd, at);
        if (!icon_) {
            icon_ = std::make_unique<WindowIcon>();
            icon_->Register(hwnd,
                            {static_cast<float>(at.x), static_cast<float>(at.y),
                             static_cast<float>(at.width), static_cast<float>(at.height)},
                            kKindPictureBox, 1, true);
        }
    }
    systemMenu_ = GetSystemMenu(hwnd, FALSE);
}

void SkinEngine::clearCaptionControls() {
    for (auto& button : captionButtons_) button->Remove();
    captionButtons_.clear();
    if (icon_) icon_->Remove();
    icon_.reset();
}

void SkinEngine::refreshWindowRect() {
    if (record_ && hwnd_) GetWindowRect(hwnd_, &record_->windowRect);
}

void SkinEngine::Destroy(HWND hwnd) {
    if (!record_ || hwnd != hwnd_) return;
    if (previousProc_)
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
    previousProc_ = nullptr;
    RemovePropW(hwnd, kEngineProperty);
    input_.Reset();
    KillTimer(hwnd, kFadeInTimerId);
    // Controls hear WM_DESTROY first so they can stop timers and free fonts.
    while (!record_->controls.empty()) {
        const int last = static_cast<int>(record_->controls.size());
        SendToControl(windowNumber_, last, hwnd, WM_DESTROY, 0, 0, 1, 1);
        RemoveControl(last);
    }
    captionButtons_.clear();
    icon_.reset();
    if (WindowRecord(windowNumber_) == record_.get()) RemoveWindowRecord(windowNumber_);
    windowNumber_ = 0;
    tooltip_.reset();
    background_.Release();
    forgetPicture();
    record_->layer.Reset();
    record_->compose.Reset();
    record_->present.Reset();
    record_->windowDc.reset();
    record_.reset();
    hwnd_ = nullptr;
    redrawing_ = false;
    composing_ = false;
    repaintDepth_ = 0;
    fadeInLevel_ = 0;
    timers_.clear();
    repaintClip_.reset();
}

void SkinEngine::Detach() {
    if (hwnd_) Destroy(hwnd_);
}

void SkinEngine::Resize(HWND, int width, int height) {
    if (!record_ || width <= 0 || height <= 0) return;
    if (width != width_ || height != height_) {
        width_ = width;
        height_ = height;
        HDC dc = record_->windowDc.get();
        record_->compose.Make(dc, width_, height_);
        if (record_->alpha != -1) record_->layer.Make(dc, width_, height_);
        Redraw();
    } else if (Maximized() != (regionShape_.x == 0)) {
        // Maximizing to the same size still changes the margin.
        Redraw();
    }
    if (resized_) resized_(hwnd_, width, height);
}

bool SkinEngine::OnTimer(HWND hwnd, UINT_PTR timerId) {
    if (timerId == kFadeInTimerId) {
        fadeInStep();
        return true;
    }
    for (const auto& [token, timer] : timers_) {
        if (timer.id != timerId) continue;
        // Ticks wait while a redraw runs; the timer keeps going.
        if (!redrawing_)
            SendToControl(windowNumber_, numberOfToken(token), hwnd, WM_TIMER, timerId, 0, 1, 1);
        return true;
    }
    return false;
}

UINT_PTR SkinEngine::ControlTimerId(int control) const {
    return static_cast<UINT_PTR>(control) * 65536u + static_cast<UINT_PTR>(windowNumber_);
}

int SkinEngine::numberOfToken(ControlToken token) const {
    return record_ ? FindControlNumber(windowNumber_, token) : 0;
}

void SkinEngine::startTimer(int control, unsigned interval, bool fade) {
    const ControlEntry* e = FindControlEntry(windowNumber_, control);
    if (!hwnd_ || !e || !e->control) return;
    const unsigned ms = interval ? interval : DefaultTimerInterval();
    const ControlToken token = e->control->Token();
    if (auto it = timers_.find(token); it != timers_.end()) KillTimer(hwnd_, it->second.id);
    const UINT_PTR id = ControlTimerId(control);
    KillTimer(hwnd_, id);
    SetTimer(hwnd_, id, ms, nullptr);
    timers_[token] = {id, ms, fade};
}

void SkinEngine::StartControlTimer(int control, unsigned interval) {
    startTimer(control, interval, false);
}

void SkinEngine::StopControlTimer(int control) {
    const ControlEntry* e = FindControlEntry(windowNumber_, control);
    if (!e || !e->control) return;
    const auto it = timers_.find(e->control->Token());
    if (it == timers_.end()) return;
    if (hwnd_) KillTimer(hwnd_, it->second.id);
    timers_.erase(it);
}

bool SkinEngine::TimerRunning(int control) const {
    const ControlEntry* e = FindControlEntry(windowNumber_, control);
    return e && e->control && timers_.count(e->control->Token()) != 0;
}

bool SkinEngine::fading(int control) const {
    const ControlEntry* e = FindControlEntry(windowNumber_, control);
    if (!e || !e->control) return false;
    const auto it = timers_.find(e->control->Token());
    return it != timers_.end() && it->second.fade;
}

// The id keeps the observable formula (control number x 65536 + window
// number), so a timer whose control or window was renumbered runs on under
// its new id. All old ids go first: two controls that swap places swap ids.
void SkinEngine::rekeyTimers() {
    if (!hwnd_) return;
    std::vector<std::pair<ControlTimer*, UINT_PTR>> moved;
    for (auto& [token, timer] : timers_) {
        const UINT_PTR id = ControlTimerId(numberOfToken(token));
        if (id == timer.id) continue;
        KillTimer(hwnd_, timer.id);
        moved.emplace_back(&timer, id);
    }
    for (auto& [timer, id] : moved) {
        timer->id = id;
        SetTimer(hwnd_, id, timer->interval, nullptr);
    }
}

// Only what carries the numbers moves: the controls' own numbers and the
// timer ids. Input state, tooltip tools and accelerators are kept by token.
void SkinEngine::renumber() {
    for (size_t i = 0; i < record_->controls.size(); ++i) {
        if (SkinControl* c = record_->controls[i].control)
            c->controlNumber_ = static_cast<int>(i + 1);
    }
    rekeyTimers();
}

bool SkinEngine::RemoveControl(int control) {
    if (!record_ || control < 1 || control > static_cast<int>(record_->controls.size()))
        return false;
    const ControlEntry entry = record_->controls[static_cast<size_t>(control - 1)];
    SkinControl* c = entry.control;
    if (c) input_.LeaveInput(c->Token(), LeaveReason::Removed);
    StopControlTimer(control);
    if (c && c->toolAdded_ && tooltip_) {
        TTTOOLINFOW info{};
        info.cbSize = TTTOOLINFOW_V1_SIZE;
        info.hwnd = entry.hwnd;
        info.uId = static_cast<UINT_PTR>(c->Token());
        SendMessageW(tooltip_.get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    }
    record_->controls.erase(record_->controls.begin() + (control - 1));
    renumber();
    if (c) {
        c->windowNumber_ = 0;
        c->controlNumber_ = 0;
        c->toolAdded_ = false;
        c->token_ = kNoControl;
        c->rect_ = {};
    }
    return true;
}

void SkinEngine::MoveInZOrder(int control, bool toBottom) {
    if (!record_ || control < 1 || control > static_cast<int>(record_->controls.size())) return;
    auto& list = record_->controls;
    const int count = static_cast<int>(list.size());
    // The caption buttons and the icon come first in the list and stay below everything.
    int floor = 0;
    while (floor < count && (list[floor].kind == kKindCaptionButton ||
                             (icon_ && list[floor].control == icon_.get())))
        ++floor;
    const int target = toBottom ? std::min(floor + 1, count) : count;  // 1-based place
    if (target == control) return;
    std::vector<int> order;  // old numbers in their new order
    for (int i = 1; i <= count; ++i)
        if (i != control) order.push_back(i);
    order.insert(order.begin() + (target - 1), control);
    std::vector<ControlEntry> moved;
    for (const int old : order) moved.push_back(list[static_cast<size_t>(old - 1)]);
    list = std::move(moved);
    renumber();
}

int SkinEngine::IconControlNumber() const { return icon_ ? icon_->ControlNumber() : 0; }

int SkinEngine::ControlOfIdentity(int identity) const {
    if (!record_ || identity <= 0) return 0;
    for (size_t i = 0; i < record_->controls.size(); ++i) {
        if (record_->controls[i].identity == identity) return static_cast<int>(i + 1);
    }
    return 0;
}

void SkinEngine::SetFocusControl(int control) {
    const ControlEntry* e = FindControlEntry(windowNumber_, control);
    if (e && e->control) input_.SetFocusControl(e->control->Token());
}

unsigned SkinEngine::CaptionButtonKind(int control) const {
    const ControlEntry* e = FindControlEntry(windowNumber_, control);
    if (!e || e->kind != kKindCaptionButton) return 0;
    for (const auto& button : captionButtons_) {
        if (button.get() == e->control) return button->ButtonKind();
    }
    return 0;
}

int SkinEngine::Alpha() const { return record_ ? record_->alpha : -1; }

int SkinEngine::Alpha(int value) {
    if (!record_ || record_->alpha == -1) return -1;
    record_->alpha = std::clamp(value, 0, 255);
    Redraw();
    return record_->alpha;
}

bool SkinEngine::StretchImage() const { return record_ && record_->stretchImage; }

bool SkinEngine::StretchImage(bool value) {
    if (!record_) return false;
    if (record_->stretchImage != value) {
        record_->stretchImage = value;
        Redraw();
    }
    return record_->stretchImage;
}

int SkinEngine::FrameStyleProperty(int value) {
    frameStyle_ = value;
    Redraw();
    return frameStyle_;
}

bool SkinEngine::FadeControls() const { return record_ && record_->fadeControls; }

bool SkinEngine::FadeControls(bool value) {
    if (!record_) return false;
    return record_->fadeControls = value;
}

GpImage* SkinEngine::BackgroundImage(std::span<const std::uint8_t> picture) {
    Redraw(picture);
    return background_.Handle();
}

GpImage* SkinEngine::SetBackgroundImage(GpImage* image) {
    background_.SetHandle(image);
    forgetPicture();
    if (background_) {
        const SamplePoint at = panelSamplePoint(background_.Width(), background_.Height());
        panelColor_ = argbToColor(background_.Pixel(at.x, at.y));
    }
    Redraw();
    return background_.Handle();
}

}  // namespace korvel::skin
