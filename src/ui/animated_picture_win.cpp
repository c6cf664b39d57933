#include "ui/animated_picture_win.h"

namespace korvel::ui {

namespace {

constexpr wchar_t kClassName[] = L"KorvelAnimatedPicture";
constexpr UINT_PTR kFrameTimer = 1;
// A zero delay would spin; browsers and the toolkit treat it as 100 ms.
constexpr int kZeroDelayReplacement = 10;

}  // namespace

AnimatedPicture::~AnimatedPicture() {
    if (hwnd_ && IsWindow(hwnd_)) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        KillTimer(hwnd_, kFrameTimer);
    }
}

HWND AnimatedPicture::create(HWND parent, int x, int y, int width, int height,
                             std::span<const std::uint8_t> picture) {
    static const ATOM registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kClassName;
        return RegisterClassW(&wc);
    }();
    (void)registered;
    bytes_.assign(picture.begin(), picture.end());
    loaded_ = false;
    hwnd_ = CreateWindowExW(0, kClassName, L"", WS_CHILD, x, y, width, height, parent, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    if (!hwnd_) return nullptr;
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return hwnd_;
}

void AnimatedPicture::load() {
    if (loaded_) return;
    loaded_ = true;
    image_.LoadFromBytes(bytes_);
    bytes_.clear();
    bytes_.shrink_to_fit();
    frames_ = image_ ? image_.FrameCount() : 0;
    if (!image_.FrameDelays(delays_)) delays_.clear();
    for (int& d : delays_)
        if (d <= 0) d = kZeroDelayReplacement;
    if (frames_ > 1 && !delays_.empty()) SetTimer(hwnd_, kFrameTimer, delays_[0] * 10, nullptr);
}

void AnimatedPicture::advance() {
    if (frames_ <= 1) return;
    current_ = (current_ + 1) % frames_;
    const int delay = delays_[static_cast<size_t>(current_) % delays_.size()];
    SetTimer(hwnd_, kFrameTimer, static_cast<UINT>(delay * 10), nullptr);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void AnimatedPicture::paint(HDC dc) {
    RECT rc;
    GetClientRect(hwnd_, &rc);
    // Compose off screen so frames never flicker.
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bmp = CreateCompatibleBitmap(dc, rc.right, rc.bottom);
    HGDIOBJ old = SelectObject(mem, bmp);
    FillRect(mem, &rc, reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (image_) {
        image_.SelectFrame(current_);
        skin::GpGraphics* g = nullptr;
        if (skin::gdip::GdipCreateFromHDC(mem, &g) == Gdiplus::Ok) {
            // At its own size from the top left: scaling 87 pixels to the
            // 88-pixel box would blur every frame.
            skin::gdip::GdipDrawImageRectI(g, image_.Handle(), 0, 0, image_.Width(),
                                           image_.Height());
            skin::gdip::GdipDeleteGraphics(g);
        }
    }
    BitBlt(dc, 0, 0, rc.right, rc.bottom, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
}

LRESULT CALLBACK AnimatedPicture::proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<AnimatedPicture*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
        case WM_TIMER:
            if (self && wp == kFrameTimer) self->advance();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_SHOWWINDOW:
            if (self && wp) self->load();
            break;
        case WM_PRINTCLIENT:
            if (self) {
                self->load();
                self->paint(reinterpret_cast<HDC>(wp));
            }
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            if (self) {
                self->load();
                self->paint(dc);
            }
            EndPaint(hwnd, &ps);
            return 0;
        }
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace korvel::ui
