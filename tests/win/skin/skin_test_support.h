// Shared pieces of the toolkit's Wine-side tests: a plain top-level window to
// attach, a probe control that records what it receives and paints a solid
// colour, and pumps that run what is pending (../message_pump.h waits for
// events).
#pragma once

#include <windows.h>
// The PNG encoder writes to an IStream.
#include <objbase.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <vector>

#include "../message_pump.h"
#include "skin/skin_control_win.h"
#include "skin/skin_engine_win.h"
#include "skin/skin_paint_win.h"
#include "skin/skin_toolkit_win.h"

namespace korvel::skin {

// Failure messages show a token as its number.
inline void PrintTo(ControlToken token, std::ostream* out) {
    *out << "token " << static_cast<std::uint32_t>(token);
}

}  // namespace korvel::skin

namespace korvel::skin::testing {

inline HWND makeTestWindow(int width, int height, DWORD style = WS_POPUP | WS_MINIMIZEBOX,
                           int x = 40, int y = 40) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc{};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
        wc.lpszClassName = L"KorvelSkinTest";
        RegisterClassW(&wc);
        registered = true;
    }
    HWND hwnd = CreateWindowExW(0, L"KorvelSkinTest", L"Test window", style, x, y, width, height,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    return hwnd;
}

// Runs every message pending now.
inline void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

inline LPARAM point(int x, int y) { return MAKELPARAM(x, y); }

struct Received {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    int extra;
};

// Records every message and fills its rectangle with one colour on paint.
class ProbeControl : public SkinControl {
  public:
    explicit ProbeControl(Argb color = 0xFF2040C0) : color_(color) {}

    bool Create(HWND hwnd, float x, float y, float w, float h, bool focusable = true,
                int kind = 30) {
        if (!Register(hwnd, {x, y, w, h}, kind, 1, focusable)) return false;
        Repaint();
        return true;
    }

    LRESULT HandleMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam, int, int,
                          int extra) override {
        received.push_back({message, wParam, lParam, extra});
        if (message == kMsgPaint) {
            if (GpGraphics* g = BeginRepaint()) {
                FillRect(g, Rectangle(), color_);
                EndRepaint(true);
            }
        }
        return 0;
    }

    int count(UINT message) const {
        int n = 0;
        for (const Received& r : received) n += r.message == message;
        return n;
    }
    void clear() { received.clear(); }

    std::vector<Received> received;

  private:
    Argb color_;
};

// PNG bytes of a width x height picture whose pixels (0xAARRGGBB) come from pixel(x, y).
inline std::vector<std::uint8_t> makePng(int width, int height,
                                         const std::function<std::uint32_t(int, int)>& pixel) {
    std::vector<std::uint32_t> bits(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) bits[static_cast<size_t>(y) * width + x] = pixel(x, y);
    GpBitmap* bitmap = nullptr;
    gdip::GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppARGB,
                                    reinterpret_cast<BYTE*>(bits.data()), &bitmap);
    GdipImagePtr owner(bitmap);
    IStream* stream = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    CLSID png;
    CLSIDFromString(const_cast<LPOLESTR>(L"{557CF406-1A04-11D3-9A73-0000F81EF32E}"), &png);
    std::vector<std::uint8_t> out;
    if (stream && gdip::GdipSaveImageToStream(bitmap, stream, &png, nullptr) == Gdiplus::Ok) {
        HGLOBAL memory = nullptr;
        GetHGlobalFromStream(stream, &memory);
        STATSTG stat{};
        stream->Stat(&stat, STATFLAG_NONAME);
        const auto* p = static_cast<const std::uint8_t*>(GlobalLock(memory));
        out.assign(p, p + stat.cbSize.QuadPart);
        GlobalUnlock(memory);
    }
    if (stream) stream->Release();
    return out;
}

// The caption sprite replaced by one solid, opaque colour per cell, so a
// pixel of the present buffer tells which cell a button drew: cell n (left
// to right, 24 cells) is 0xFF0000nn + 0x010000 * n.
inline std::uint32_t spriteCellColor(int cell) {
    return 0xFF000000u | (static_cast<std::uint32_t>(cell) << 16) | 0x80u;
}
inline void useSolidSprite() {
    static const std::vector<std::uint8_t> png = makePng(729, 20, [](int x, int) {
        // Cells start at 0, 40, 80 (close) and 120 + 29 * k; one-pixel gaps between.
        if (x < 120) return (x % 40 == 39) ? 0u : spriteCellColor(x / 40);
        const int k = (x - 120) / 29;
        return ((x - 120) % 29 == 28) ? 0u : spriteCellColor(3 + k);
    });
    SkinSprite().LoadFromBytes(png);
}

// InitToolkit once per test program.
inline void startToolkit() {
    static const bool ok = InitToolkit();
    (void)ok;
}

}  // namespace korvel::skin::testing
