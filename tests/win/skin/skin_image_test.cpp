#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "skin/builtin_pictures.h"
#include "skin/skin_image_win.h"
#include "skin_test_support.h"
#include "text/wide_text_win.h"

using namespace korvel::skin;
using namespace korvel::skin::testing;

namespace {

class SkinImageTest : public ::testing::Test {
  protected:
    void SetUp() override { startToolkit(); }
};

TEST_F(SkinImageTest, LoadsBytesAndReadsSizeAndPixels) {
    const auto png = makePng(7, 3, [](int x, int y) { return 0xFF000000u | (x << 16) | y; });
    SkinImage image;
    ASSERT_NE(image.LoadFromBytes(png), nullptr);
    EXPECT_EQ(image.Width(), 7);
    EXPECT_EQ(image.Height(), 3);
    EXPECT_EQ(image.Pixel(5, 2), 0xFF050002u);
    EXPECT_EQ(image.Pixel(7, 0), 0u);
    EXPECT_EQ(image.Pixel(-1, 0), 0u);
}

TEST_F(SkinImageTest, ReloadReleasesTheOldImageAndBadBytesLeaveNothing) {
    const auto first = makePng(4, 4, [](int, int) { return 0xFFFF0000u; });
    const auto second = makePng(2, 9, [](int, int) { return 0xFF00FF00u; });
    SkinImage image;
    image.LoadFromBytes(first);
    image.LoadFromBytes(second);
    EXPECT_EQ(image.Width(), 2);
    EXPECT_EQ(image.Pixel(1, 8), 0xFF00FF00u);
    const std::uint8_t junk[] = {0x89, 'P', 'N', 'G', 0, 0};
    EXPECT_EQ(image.LoadFromBytes(junk), nullptr);
    EXPECT_FALSE(image);
    EXPECT_EQ(image.Width(), 0);
    EXPECT_EQ(image.LoadFromBytes({}), nullptr);
}

TEST_F(SkinImageTest, StillPictureHasOneFrameAndNoDelays) {
    SkinImage image;
    ASSERT_TRUE(image.LoadFromBytes(korvel::pictures::captionSprite()));
    EXPECT_EQ(image.Width(), 729);
    EXPECT_EQ(image.Height(), 20);
    EXPECT_EQ(image.FrameCount(), 1);
    std::vector<int> delays{1, 2};
    EXPECT_FALSE(image.FrameDelays(delays));
    EXPECT_TRUE(delays.empty());
}

TEST_F(SkinImageTest, AnimatedPictureReportsFramesAndDelays) {
    SkinImage image;
    ASSERT_TRUE(image.LoadFromBytes(korvel::pictures::parcelAnimation()));
    EXPECT_EQ(image.FrameCount(), 12);
    std::vector<int> delays;
    ASSERT_TRUE(image.FrameDelays(delays));
    ASSERT_EQ(delays.size(), 12u);
    for (int d : delays) EXPECT_EQ(d, 6);
    EXPECT_TRUE(image.SelectFrame(11));
    EXPECT_FALSE(image.SelectFrame(-1));
}

TEST_F(SkinImageTest, IconKeepsItsAlpha) {
    const int size = 16;
    std::vector<std::uint32_t> bits(size * size, 0x800000FFu);  // blue, half transparent
    bits[0] = 0xFFFF0000u;
    BITMAPV5HEADER header{};
    header.bV5Size = sizeof header;
    header.bV5Width = size;
    header.bV5Height = -size;
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_RGB;
    void* pixels = nullptr;
    WindowDc screen(nullptr);
    GdiBitmap color(CreateDIBSection(screen.get(), reinterpret_cast<BITMAPINFO*>(&header),
                                     DIB_RGB_COLORS, &pixels, nullptr, 0));
    ASSERT_TRUE(color);
    std::memcpy(pixels, bits.data(), bits.size() * 4);
    GdiBitmap mask(CreateBitmap(size, size, 1, 1, nullptr));
    ICONINFO info{TRUE, 0, 0, mask.get(), color.get()};
    HICON icon = CreateIconIndirect(&info);
    ASSERT_NE(icon, nullptr);
    SkinImage image;
    ASSERT_NE(image.FromIcon(icon), nullptr);
    DestroyIcon(icon);
    EXPECT_EQ(image.Width(), size);
    EXPECT_EQ(image.Pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(image.Pixel(5, 5) >> 24, 0x80u);
    EXPECT_EQ(image.FromIcon(nullptr), nullptr);
}

TEST_F(SkinImageTest, FromBitmapCreateBlankAndRotateFlip) {
    WindowDc screen(nullptr);
    GdiBitmap bitmap(CreateCompatibleBitmap(screen.get(), 3, 2));
    SkinImage image;
    ASSERT_NE(image.FromBitmap(bitmap.get()), nullptr);
    EXPECT_EQ(image.Width(), 3);
    EXPECT_EQ(image.Height(), 2);
    EXPECT_EQ(image.FromBitmap(nullptr), nullptr);

    std::uint32_t pixels[2] = {0xFF112233u, 0xFF445566u};
    SkinImage blank;
    ASSERT_TRUE(
        blank.CreateBlank(2, 1, 8, PixelFormat32bppARGB, reinterpret_cast<std::uint8_t*>(pixels)));
    EXPECT_EQ(blank.Pixel(0, 0), 0xFF112233u);
    blank.RotateFlip(Gdiplus::RotateNoneFlipX);
    EXPECT_EQ(blank.Pixel(0, 0), 0xFF445566u);
    blank.RotateFlip(Gdiplus::Rotate90FlipNone);
    EXPECT_EQ(blank.Width(), 1);
    EXPECT_EQ(blank.Height(), 2);
}

TEST_F(SkinImageTest, LoadsAFileWithAChinesePath) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    const std::string path = korvel::text::toGbk(dir) + "背景图.png";
    const auto png = makePng(5, 6, [](int, int) { return 0xFF0000FFu; });
    {
        std::ofstream out(korvel::text::toWide(path).c_str(), std::ios::binary);
        out.write(reinterpret_cast<const char*>(png.data()),
                  static_cast<std::streamsize>(png.size()));
    }
    SkinImage image;
    ASSERT_NE(image.LoadFromFile(path), nullptr);
    EXPECT_EQ(image.Height(), 6);
    image.Release();
    DeleteFileW(korvel::text::toWide(path).c_str());
    EXPECT_EQ(image.LoadFromFile(path), nullptr);
}

}  // namespace
