// The face the toolkit draws with on a machine without "宋体": asked for a
// face that is not installed, it must still draw Chinese captions.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "skin/builtin_pictures.h"
#include "skin/dib_buffer_win.h"
#include "skin/font_face_win.h"
#include "skin/skin_image_win.h"
#include "skin/skin_toolkit_win.h"
#include "skin/tab_button_look.h"
#include "skin/tab_button_win.h"
#include "skin_test_support.h"

using namespace korvel::skin;

namespace {

constexpr char kMissingFace[] = "无此字体Korvel";

// The caption rectangle's pixels of a 70 x 75 page tab with its icon above,
// as the main window draws "单号查询".
std::vector<std::uint32_t> captionPixels(GpFont* font, std::string_view caption, int* dark) {
    WindowDc screen(nullptr);
    DibBuffer buffer;
    if (!buffer.Make(screen.get(), 70, 75)) return {};
    FillRect(buffer.Graphics(), {0, 0, 70, 75}, 0xFFFFFFFF);
    SkinImage icon;
    icon.LoadFromBytes(korvel::pictures::tabQueryIcon());
    TabFacePaint p;
    p.icon = icon.Handle();
    p.iconAbove = true;
    p.caption = caption;
    p.font = font;
    p.textColor = defaultTabTextColor();
    p.alignment = defaultTabAlignment(true);
    const RectF control{0, 0, 70, 75};
    DrawTabFace(buffer.Graphics(), control, p);
    const RectF text = tabLayout(control, icon.Width(), icon.Height(), true, false).text;
    std::vector<std::uint32_t> pixels;
    *dark = 0;
    for (int y = static_cast<int>(text.y); y < static_cast<int>(text.y + text.height); ++y)
        for (int x = static_cast<int>(text.x); x < static_cast<int>(text.x + text.width); ++x) {
            const std::uint32_t c = buffer.Pixel(x, y);
            pixels.push_back(c);
            *dark += ((c >> 16) & 0xFF) < 128 && ((c >> 8) & 0xFF) < 128 && (c & 0xFF) < 128;
        }
    return pixels;
}

TEST(DrawingFace, AMissingFaceFallsBackToOneThatDrawsChinese) {
    korvel::skin::testing::startToolkit();
    const std::vector<std::string> chinese = InstalledChineseFaces();
    ASSERT_FALSE(chinese.empty()) << "no installed face covers Chinese";

    EXPECT_EQ(ChooseDrawingFace(DefaultFontFamilyName()), DefaultFontFamilyName());
    const std::string face = ChooseDrawingFace(kMissingFace);
    ASSERT_FALSE(face.empty());
    EXPECT_NE(std::find(chinese.begin(), chinese.end(), face), chinese.end()) << face;

    GdipFontPtr font = CreateFontByName(face, 12.0f, 0);
    ASSERT_TRUE(font);
    // Two captions with different characters: glyphs, not one box repeated.
    int darkQuery = 0, darkOutlets = 0;
    const auto query = captionPixels(font.get(), "单号查询", &darkQuery);
    const auto outlets = captionPixels(font.get(), "网点查询", &darkOutlets);
    EXPECT_GT(darkQuery, 20) << face;
    EXPECT_GT(darkOutlets, 20) << face;
    EXPECT_NE(query, outlets) << face;
}

TEST(DrawingFace, DialogsGetAFaceGdiKnows) {
    const std::string face = ChineseDialogFace();
    ASSERT_FALSE(face.empty());
    const std::vector<std::string> chinese = InstalledChineseFaces();
    EXPECT_NE(std::find(chinese.begin(), chinese.end(), face), chinese.end()) << face;
}

}  // namespace
