// The built-in pictures as the program sees them: decoded by GDI+ from the
// embedded bytes, and the program icon loaded from the resources.

// GDI+ needs the COM types (IStream, PROPID) declared before it.
// clang-format off
#include <windows.h>
#include <ole2.h>
#include <gdiplus.h>
#include <shlwapi.h>
// clang-format on

#include "skin/builtin_pictures.h"

#include <gtest/gtest.h>

#include <memory>
#include <span>
#include <vector>

namespace {

using Bytes = std::span<const std::uint8_t>;
namespace gp = Gdiplus;

class GdiplusSession {
  public:
    GdiplusSession() {
        gp::GdiplusStartupInput input;
        ok_ = gp::GdiplusStartup(&token_, &input, nullptr) == gp::Ok;
    }
    ~GdiplusSession() {
        if (ok_) gp::GdiplusShutdown(token_);
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    bool ok() const { return ok_; }

  private:
    ULONG_PTR token_ = 0;
    bool ok_ = false;
};

struct ReleaseStream {
    void operator()(IStream* s) const { s->Release(); }
};

// GDI+ reads an image lazily from its stream, so the stream lives as long as
// the bitmap does.
struct Picture {
    std::unique_ptr<IStream, ReleaseStream> stream;
    std::unique_ptr<gp::Bitmap> bitmap;
};

Picture decode(Bytes bytes) {
    Picture p;
    p.stream.reset(SHCreateMemStream(bytes.data(), UINT(bytes.size())));
    if (p.stream) p.bitmap.reset(gp::Bitmap::FromStream(p.stream.get()));
    if (p.bitmap && p.bitmap->GetLastStatus() != gp::Ok) p.bitmap.reset();
    return p;
}

gp::Color pixel(gp::Bitmap& b, int x, int y) {
    gp::Color c;
    b.GetPixel(x, y, &c);
    return c;
}

class BuiltinPicturesGdiplus : public ::testing::Test {
  protected:
    GdiplusSession session_;
    void SetUp() override { ASSERT_TRUE(session_.ok()); }
};

struct Expected {
    const char* name;
    Bytes (*bytes)();
    UINT width;
    UINT height;
    int alpha;  // 1 with an alpha channel, 0 without, -1 decoder's choice (GIF)
};

const Expected kPictures[] = {
    {"caption sprite", korvel::pictures::captionSprite, 729, 20, 1},
    {"message icons", korvel::pictures::messageIcons, 200, 40, 1},
    {"background", korvel::pictures::mainBackground, 550, 825, 0},
    {"tab home", korvel::pictures::tabHomeIcon, 54, 54, 1},
    {"tab query", korvel::pictures::tabQueryIcon, 55, 55, 1},
    {"tab outlets", korvel::pictures::tabOutletsIcon, 54, 54, 1},
    {"tile 1", korvel::pictures::tileIcon1, 47, 50, 1},
    {"tile 2", korvel::pictures::tileIcon2, 50, 50, 0},
    {"tile 3", korvel::pictures::tileIcon3, 50, 38, 1},
    {"tile 4", korvel::pictures::tileIcon4, 50, 48, 0},
    {"home 1", korvel::pictures::homePicture1, 158, 92, 1},
    {"home 2", korvel::pictures::homePicture2, 550, 456, 0},
    {"home 3", korvel::pictures::homePicture3, 302, 302, 0},
    {"animation", korvel::pictures::parcelAnimation, 87, 87, -1},
    {"thumb", korvel::pictures::progressThumb, 18, 18, 1},
    {"thumb 2", korvel::pictures::progressThumb2, 18, 18, 1},
};

TEST_F(BuiltinPicturesGdiplus, EveryPictureDecodesAtItsSize) {
    for (const Expected& e : kPictures) {
        SCOPED_TRACE(e.name);
        Picture p = decode(e.bytes());
        ASSERT_TRUE(p.bitmap) << "GDI+ could not read it";
        EXPECT_EQ(p.bitmap->GetWidth(), e.width);
        EXPECT_EQ(p.bitmap->GetHeight(), e.height);
        if (e.alpha >= 0) {
            EXPECT_EQ(gp::IsAlphaPixelFormat(p.bitmap->GetPixelFormat()) != FALSE, e.alpha == 1);
        }
    }
}

TEST_F(BuiltinPicturesGdiplus, SpriteCellsAreSeparatedByClearColumns) {
    Picture p = decode(korvel::pictures::captionSprite());
    ASSERT_TRUE(p.bitmap);
    // Right edges of close (x 0/40/80, width 39) and of the 28-wide cells.
    std::vector<int> gaps = {39, 79, 119};
    for (int x = 148; x < 729; x += 29) gaps.push_back(x);
    ASSERT_EQ(gaps.size(), 24u);
    for (int x : gaps) {
        for (int y = 0; y < 20; ++y) {
            ASSERT_EQ(pixel(*p.bitmap, x, y).GetA(), 0) << "x " << x << " y " << y;
        }
    }
    // The source rectangle the buttons take starts at row 2: glyphs show there.
    const int normalCells[] = {0, 120, 207, 294, 381, 468, 555, 642};
    for (int x0 : normalCells) {
        const int width = x0 == 0 ? 39 : 28;
        int bright = 0;
        for (int x = x0; x < x0 + width; ++x) {
            for (int y = 2; y < 20; ++y) {
                const gp::Color c = pixel(*p.bitmap, x, y);
                if (c.GetA() > 200 && c.GetR() > 230 && c.GetG() > 230 && c.GetB() > 230) {
                    ++bright;
                }
            }
        }
        EXPECT_GT(bright, 8) << "cell at x " << x0;
    }
    const gp::Color closeHover = pixel(*p.bitmap, 42, 10);
    EXPECT_GT(closeHover.GetA(), 200);
    EXPECT_GT(closeHover.GetR(), closeHover.GetG() + 80);
}

TEST_F(BuiltinPicturesGdiplus, MessageIconsHaveTheirColours) {
    Picture p = decode(korvel::pictures::messageIcons());
    ASSERT_TRUE(p.bitmap);
    struct Disc {
        int column;
        bool (*test)(const gp::Color&);
    };
    const Disc discs[] = {
        {0, [](const gp::Color& c) { return c.GetR() > c.GetG() + 80; }},          // error, red
        {40, [](const gp::Color& c) { return c.GetR() > 200 && c.GetB() < 90; }},  // orange
        {80, [](const gp::Color& c) { return c.GetB() > c.GetR() && c.GetB() - c.GetR() < 80; }},
        {120, [](const gp::Color& c) { return c.GetB() > c.GetR() + 90; }},  // blue
        {160, [](const gp::Color& c) { return c.GetG() > c.GetR() + 60; }},  // green
    };
    for (const Disc& d : discs) {
        SCOPED_TRACE(d.column);
        EXPECT_EQ(pixel(*p.bitmap, d.column, 0).GetA(), 0);
        EXPECT_EQ(pixel(*p.bitmap, d.column + 39, 39).GetA(), 0);
        const gp::Color c = pixel(*p.bitmap, d.column + 7, 20);
        EXPECT_EQ(c.GetA(), 255);
        EXPECT_TRUE(d.test(c)) << int(c.GetR()) << "," << int(c.GetG()) << "," << int(c.GetB());
    }
}

TEST_F(BuiltinPicturesGdiplus, AnimationHasTimedFramesAndLoops) {
    Picture p = decode(korvel::pictures::parcelAnimation());
    ASSERT_TRUE(p.bitmap);
    GUID dimension;
    ASSERT_EQ(p.bitmap->GetFrameDimensionsList(&dimension, 1), gp::Ok);
    const UINT frames = p.bitmap->GetFrameCount(&dimension);
    EXPECT_EQ(frames, 12u);

    const UINT size = p.bitmap->GetPropertyItemSize(PropertyTagFrameDelay);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> buffer(size);
    auto* item = reinterpret_cast<gp::PropertyItem*>(buffer.data());
    ASSERT_EQ(p.bitmap->GetPropertyItem(PropertyTagFrameDelay, size, item), gp::Ok);
    ASSERT_EQ(item->length / sizeof(LONG), frames);
    const auto* delays = static_cast<const LONG*>(item->value);
    for (UINT i = 0; i < frames; ++i) EXPECT_EQ(delays[i], 6) << "frame " << i;
    // It plays forever: a loop count of 0.
    const UINT loopSize = p.bitmap->GetPropertyItemSize(PropertyTagLoopCount);
    ASSERT_GT(loopSize, 0u);
    std::vector<BYTE> loopBuffer(loopSize);
    auto* loop = reinterpret_cast<gp::PropertyItem*>(loopBuffer.data());
    ASSERT_EQ(p.bitmap->GetPropertyItem(PropertyTagLoopCount, loopSize, loop), gp::Ok);
    EXPECT_EQ(*static_cast<const SHORT*>(loop->value), 0);

    // The road moves under the van: frames differ, and each is a whole picture.
    std::vector<std::vector<gp::ARGB>> roads;
    for (UINT i = 0; i < frames; ++i) {
        ASSERT_EQ(p.bitmap->SelectActiveFrame(&dimension, i), gp::Ok);
        std::vector<gp::ARGB> row;
        for (int x = 10; x < 77; ++x) row.push_back(pixel(*p.bitmap, x, 71).GetValue());
        roads.push_back(row);
        EXPECT_EQ(pixel(*p.bitmap, 43, 80).GetA(), 255);  // road at the bottom, opaque
    }
    for (UINT i = 0; i + 1 < frames; ++i) EXPECT_NE(roads[i], roads[i + 1]) << "frame " << i;
}

struct IconInfo {
    ICONINFO info{};
    bool ok = false;
    explicit IconInfo(HICON icon) { ok = GetIconInfo(icon, &info) != FALSE; }
    ~IconInfo() {
        if (info.hbmColor) DeleteObject(info.hbmColor);
        if (info.hbmMask) DeleteObject(info.hbmMask);
    }
    IconInfo(const IconInfo&) = delete;
    IconInfo& operator=(const IconInfo&) = delete;
};

struct DestroyIconDeleter {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
using OwnedIcon = std::unique_ptr<std::remove_pointer_t<HICON>, DestroyIconDeleter>;

TEST(ProgramIcon, ResourceHoldsEachSize) {
    const HINSTANCE module = GetModuleHandleW(nullptr);
    EXPECT_NE(LoadIconW(module, MAKEINTRESOURCEW(129)), nullptr);  // shared, not destroyed
    for (int size : {16, 32, 48}) {
        SCOPED_TRACE(size);
        OwnedIcon icon(static_cast<HICON>(
            LoadImageW(module, MAKEINTRESOURCEW(129), IMAGE_ICON, size, size, 0)));
        ASSERT_TRUE(icon);
        IconInfo info(icon.get());
        ASSERT_TRUE(info.ok);
        ASSERT_NE(info.info.hbmColor, nullptr);
        BITMAP bm{};
        ASSERT_TRUE(GetObjectW(info.info.hbmColor, sizeof bm, &bm));
        EXPECT_EQ(bm.bmWidth, size);
        EXPECT_EQ(bm.bmHeight, size);
    }
}

}  // namespace
