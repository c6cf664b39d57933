// A full Redraw of a main-window-sized skinned window (662 x 485, the
// built-in 550 x 825 JPEG stretched over the panel, caption flags 0x75, a
// dozen drawn controls) against the floor: one GDI+ DrawImage of that
// picture scaled to the window, in the same process. WM_PAINT is timed too:
// it must only copy.
#include <windows.h>

#include <cstdio>

#include "skin/builtin_pictures.h"
#include "skin/skin_control_win.h"
#include "skin/skin_engine_win.h"
#include "skin/skin_paint_win.h"
#include "skin/skin_toolkit_win.h"

using namespace korvel::skin;

namespace {

constexpr int kWidth = 662;
constexpr int kHeight = 485;
constexpr int kRounds = 60;

double now() {
    LARGE_INTEGER t, f;
    QueryPerformanceCounter(&t);
    QueryPerformanceFrequency(&f);
    return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// A rounded, translucent face with a caption: about what a push button draws.
class Face : public SkinControl {
  public:
    LRESULT HandleMessage(HWND, UINT message, WPARAM, LPARAM, int, int, int) override {
        if (message != kMsgPaint) return 0;
        if (GpGraphics* g = BeginRepaint()) {
            FillRounded(g, Rectangle(), 7, rgbaToArgb(255, 255, 255, 170));
            OutlineRounded(g, Rectangle(), 7, rgbaToArgb(0, 0, 0, 80));
            GdipStringFormatPtr format = MakeStringFormat(4);
            DrawShadowedText(g, "开始查询", DefaultFont(), Rectangle(), format.get(),
                             rgbaToArgb(0, 0, 0, 210));
            EndRepaint(true);
        }
        return 0;
    }
};

LRESULT CALLBACK plainProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    return DefWindowProcW(h, m, w, l);
}

}  // namespace

int main() {
    InitToolkit();
    WNDCLASSW wc{};
    wc.lpfnWndProc = plainProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KorvelRedrawBench";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"bench", WS_POPUP | WS_VISIBLE, 20, 20,
                                kWidth, kHeight, nullptr, nullptr, wc.hInstance, nullptr);
    SkinEngine engine;
    AttachOptions options;
    options.captionFlags = 0x75;
    options.stretchImage = true;
    options.notResizable = true;
    if (!engine.Attach(hwnd, korvel::pictures::mainBackground(), options)) {
        std::printf("skin_redraw: attach failed\n");
        return 1;
    }
    Face faces[12];
    for (int i = 0; i < 12; ++i)
        faces[i].Register(hwnd, {20.0f + 50 * (i % 6), 100.0f + 40 * (i / 6), 45, 30}, 2);

    // The floor: the picture scaled once into a window-sized buffer.
    DibBuffer target;
    target.Make(engine.Record()->windowDc.get(), kWidth, kHeight);
    GpImage* picture = engine.BackgroundImage();
    gdip::GdipDrawImageRect(target.Graphics(), picture, 0, 0, kWidth, kHeight);  // warm up
    engine.Redraw();

    double t0 = now();
    for (int i = 0; i < kRounds; ++i)
        gdip::GdipDrawImageRect(target.Graphics(), picture, 0, 0, kWidth, kHeight);
    GdiFlush();
    const double draw = (now() - t0) / kRounds;

    t0 = now();
    for (int i = 0; i < kRounds; ++i) engine.Redraw();
    const double redraw = (now() - t0) / kRounds;

    t0 = now();
    for (int i = 0; i < kRounds; ++i) {
        InvalidateRect(hwnd, nullptr, FALSE);
        UpdateWindow(hwnd);
    }
    const double paint = (now() - t0) / kRounds;

    std::printf("skin redraw %dx%d: Redraw %.2f ms, DrawImage %.2f ms, WM_PAINT %.2f ms\n", kWidth,
                kHeight, redraw * 1e3, draw * 1e3, paint * 1e3);
    std::printf("skin_redraw_over_drawimage: %.2f (goal <= 3)\n", redraw / draw);
    std::printf("skin_paint_over_drawimage: %.2f (goal < 1)\n", paint / draw);
    DestroyWindow(hwnd);
    return 0;
}
