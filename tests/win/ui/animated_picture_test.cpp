#include <gtest/gtest.h>

#include "../message_pump.h"
#include "skin/builtin_pictures.h"
#include "skin/dib_buffer_win.h"
#include "skin/skin_image_win.h"
#include "skin/skin_toolkit_win.h"
#include "ui/animated_picture_win.h"

using korvel::ui::AnimatedPicture;
using korvel::wine_test::pumpPosted;
using korvel::wine_test::pumpUntil;

namespace {

TEST(AnimatedPicture, PlaysTheBuiltInParcelAnimationInALoop) {
    ASSERT_TRUE(korvel::skin::InitToolkit());
    HWND host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200, nullptr,
                                nullptr, nullptr, nullptr);
    AnimatedPicture picture;
    HWND hwnd = picture.create(host, 48, 144, 88, 88, korvel::pictures::parcelAnimation());
    ASSERT_NE(hwnd, nullptr);
    ShowWindow(hwnd, SW_SHOW);
    ASSERT_GT(picture.frameCount(), 1);
    // Watch for more frames than the picture has: it must wrap.
    int changes = 0, last = picture.currentFrame();
    bool wrapped = false;
    pumpUntil([&] {
        if (picture.currentFrame() != last) {
            wrapped |= picture.currentFrame() < last;
            last = picture.currentFrame();
            ++changes;
        }
        return wrapped && changes > picture.frameCount();
    });
    EXPECT_TRUE(wrapped);
    EXPECT_GT(changes, picture.frameCount());
    DestroyWindow(host);
}

TEST(AnimatedPicture, DecodesAndPlaysOnlyOnceShown) {
    ASSERT_TRUE(korvel::skin::InitToolkit());
    HWND host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200, nullptr,
                                nullptr, nullptr, nullptr);
    AnimatedPicture picture;
    HWND hwnd = picture.create(host, 0, 0, 88, 88, korvel::pictures::parcelAnimation());
    ASSERT_NE(hwnd, nullptr);
    // Every message the hidden window has is handled: none decodes it.
    ASSERT_TRUE(pumpPosted());
    EXPECT_EQ(picture.frameCount(), 0);
    EXPECT_EQ(picture.currentFrame(), 0);
    ShowWindow(hwnd, SW_SHOW);
    EXPECT_GT(picture.frameCount(), 1);
    // Shown again later, it goes on from where it is.
    ShowWindow(hwnd, SW_HIDE);
    const int frames = picture.frameCount();
    ShowWindow(hwnd, SW_SHOW);
    EXPECT_EQ(picture.frameCount(), frames);
    DestroyWindow(host);
}

// The 87 x 87 frames go into the 88 x 88 box pixel for pixel, not scaled.
TEST(AnimatedPicture, DrawsEachFrameAtItsOwnSize) {
    using namespace korvel::skin;
    ASSERT_TRUE(InitToolkit());
    HWND host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200, nullptr,
                                nullptr, nullptr, nullptr);
    AnimatedPicture picture;
    HWND hwnd = picture.create(host, 48, 144, 88, 88, korvel::pictures::parcelAnimation());
    ASSERT_NE(hwnd, nullptr);
    ShowWindow(hwnd, SW_SHOW);

    SkinImage frame;
    ASSERT_NE(frame.LoadFromBytes(korvel::pictures::parcelAnimation()), nullptr);
    ASSERT_EQ(frame.Width(), 87);
    ASSERT_EQ(frame.Height(), 87);
    frame.SelectFrame(picture.currentFrame());
    WindowDc screen(nullptr);
    DibBuffer shown, expected;
    ASSERT_TRUE(shown.Make(screen.get(), 88, 88));
    ASSERT_TRUE(expected.Make(screen.get(), 88, 88));
    RECT all{0, 0, 88, 88};
    ::FillRect(expected.Dc(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    // Drawn as the window draws, through a Graphics on the DC.
    GpGraphics* g = nullptr;
    ASSERT_EQ(gdip::GdipCreateFromHDC(expected.Dc(), &g), Gdiplus::Ok);
    gdip::GdipDrawImageRectI(g, frame.Handle(), 0, 0, 87, 87);
    gdip::GdipDeleteGraphics(g);
    SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(shown.Dc()), PRF_CLIENT);
    int different = 0;
    for (int y = 0; y < 88; ++y)
        for (int x = 0; x < 88; ++x)
            different += (shown.Pixel(x, y) & 0xFFFFFF) != (expected.Pixel(x, y) & 0xFFFFFF);
    EXPECT_EQ(different, 0);
    DestroyWindow(host);
}

TEST(AnimatedPicture, ABrokenPictureShowsNothingAndDoesNotAnimate) {
    ASSERT_TRUE(korvel::skin::InitToolkit());
    HWND host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                nullptr, nullptr);
    const std::uint8_t junk[] = {1, 2, 3};
    AnimatedPicture picture;
    ASSERT_NE(picture.create(host, 0, 0, 10, 10, junk), nullptr);
    EXPECT_EQ(picture.frameCount(), 0);
    UpdateWindow(picture.handle());  // paints without a picture
    ASSERT_TRUE(pumpPosted());
    EXPECT_EQ(picture.frameCount(), 0);
    EXPECT_EQ(picture.currentFrame(), 0);
    DestroyWindow(host);
}

}  // namespace
