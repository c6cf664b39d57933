// RAII owners for the GDI, GDI+ and kernel handles the toolkit holds. Copy is
// deleted, move is allowed; release() hands a handle over when the system
// takes ownership of it (SetWindowRgn keeps the region, for one).
#pragma once

#include <windows.h>
// gdiplus.h needs IStream and PROPID, which WIN32_LEAN_AND_MEAN leaves out,
// and min/max in scope under NOMINMAX.
#include <objidl.h>

#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include <utility>

namespace korvel::skin {

namespace gdip = Gdiplus::DllExports;
using Gdiplus::GpBitmap;
using Gdiplus::GpBrush;
using Gdiplus::GpFont;
using Gdiplus::GpFontFamily;
using Gdiplus::GpGraphics;
using Gdiplus::GpImage;
using Gdiplus::GpImageAttributes;
using Gdiplus::GpPath;
using Gdiplus::GpPen;
using Gdiplus::GpStringFormat;

// A handle with a release function; Close is a stateless functor.
template <typename T, typename Close>
class UniqueHandle {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(T handle) : handle_(handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    T get() const { return handle_; }
    explicit operator bool() const { return handle_ != T{}; }
    T release() { return std::exchange(handle_, T{}); }
    void reset(T handle = T{}) {
        if (handle_ != T{}) Close{}(handle_);
        handle_ = handle;
    }
    // For out-parameters of the GDI+ flat API: frees the old handle first.
    T* put() {
        reset();
        return &handle_;
    }

  private:
    T handle_{};
};

struct CloseGdiObject {
    void operator()(HGDIOBJ h) const { DeleteObject(h); }
};
struct CloseMemoryDc {
    void operator()(HDC h) const { DeleteDC(h); }
};
struct CloseHandle {
    void operator()(HANDLE h) const { ::CloseHandle(h); }
};
struct CloseGlobal {
    void operator()(HGLOBAL h) const { GlobalFree(h); }
};
struct CloseWindow {
    void operator()(HWND h) const { DestroyWindow(h); }
};
struct CloseGraphics {
    void operator()(GpGraphics* g) const { gdip::GdipDeleteGraphics(g); }
};
struct CloseImage {
    void operator()(GpImage* i) const { gdip::GdipDisposeImage(i); }
};
struct CloseBrush {
    void operator()(GpBrush* b) const { gdip::GdipDeleteBrush(b); }
};
struct ClosePen {
    void operator()(GpPen* p) const { gdip::GdipDeletePen(p); }
};
struct ClosePath {
    void operator()(GpPath* p) const { gdip::GdipDeletePath(p); }
};
struct CloseFont {
    void operator()(GpFont* f) const { gdip::GdipDeleteFont(f); }
};
struct CloseFontFamily {
    void operator()(GpFontFamily* f) const { gdip::GdipDeleteFontFamily(f); }
};
struct CloseStringFormat {
    void operator()(GpStringFormat* f) const { gdip::GdipDeleteStringFormat(f); }
};
struct CloseImageAttributes {
    void operator()(GpImageAttributes* a) const { gdip::GdipDisposeImageAttributes(a); }
};

using GdiBitmap = UniqueHandle<HBITMAP, CloseGdiObject>;
using GdiRegion = UniqueHandle<HRGN, CloseGdiObject>;
using GdiObject = UniqueHandle<HGDIOBJ, CloseGdiObject>;
using MemoryDc = UniqueHandle<HDC, CloseMemoryDc>;
using KernelHandle = UniqueHandle<HANDLE, CloseHandle>;
using GlobalMemory = UniqueHandle<HGLOBAL, CloseGlobal>;
using OwnedWindow = UniqueHandle<HWND, CloseWindow>;
using GdipGraphicsPtr = UniqueHandle<GpGraphics*, CloseGraphics>;
using GdipImagePtr = UniqueHandle<GpImage*, CloseImage>;
using GdipBrushPtr = UniqueHandle<GpBrush*, CloseBrush>;
using GdipPenPtr = UniqueHandle<GpPen*, ClosePen>;
using GdipPathPtr = UniqueHandle<GpPath*, ClosePath>;
using GdipFontPtr = UniqueHandle<GpFont*, CloseFont>;
using GdipFontFamilyPtr = UniqueHandle<GpFontFamily*, CloseFontFamily>;
using GdipStringFormatPtr = UniqueHandle<GpStringFormat*, CloseStringFormat>;
using GdipImageAttributesPtr = UniqueHandle<GpImageAttributes*, CloseImageAttributes>;

// GetDC / ReleaseDC of one window.
class WindowDc {
  public:
    WindowDc() = default;
    // A null hwnd gives the screen DC.
    explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    ~WindowDc() { reset(); }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    WindowDc(WindowDc&& o) noexcept
        : hwnd_(std::exchange(o.hwnd_, nullptr)), dc_(std::exchange(o.dc_, nullptr)) {}
    WindowDc& operator=(WindowDc&& o) noexcept {
        if (this != &o) {
            reset();
            hwnd_ = std::exchange(o.hwnd_, nullptr);
            dc_ = std::exchange(o.dc_, nullptr);
        }
        return *this;
    }
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }
    void reset() {
        if (dc_) ReleaseDC(hwnd_, dc_);
        dc_ = nullptr;
        hwnd_ = nullptr;
    }

  private:
    HWND hwnd_ = nullptr;
    HDC dc_ = nullptr;
};

// Selects an object into a DC and puts the previous one back on destruction.
class SelectGuard {
  public:
    SelectGuard() = default;
    SelectGuard(HDC dc, HGDIOBJ obj) : dc_(dc), previous_(SelectObject(dc, obj)) {}
    ~SelectGuard() { restore(); }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    SelectGuard(SelectGuard&& o) noexcept
        : dc_(std::exchange(o.dc_, nullptr)), previous_(std::exchange(o.previous_, nullptr)) {}
    SelectGuard& operator=(SelectGuard&& o) noexcept {
        if (this != &o) {
            restore();
            dc_ = std::exchange(o.dc_, nullptr);
            previous_ = std::exchange(o.previous_, nullptr);
        }
        return *this;
    }
    void restore() {
        if (dc_ && previous_) SelectObject(dc_, previous_);
        dc_ = nullptr;
        previous_ = nullptr;
    }

  private:
    HDC dc_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

// The GDI+ start-up token; GdiplusShutdown on destruction.
class GdiplusSession {
  public:
    GdiplusSession() = default;
    ~GdiplusSession() {
        if (token_) Gdiplus::GdiplusShutdown(token_);
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    bool Start(UINT32 version) {
        if (token_) return true;
        Gdiplus::GdiplusStartupInput input;
        input.GdiplusVersion = version;
        return Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
    }
    bool Started() const { return token_ != 0; }

  private:
    ULONG_PTR token_ = 0;
};

}  // namespace korvel::skin
