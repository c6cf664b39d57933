#include <gtest/gtest.h>

#include "skin/builtin_pictures.h"
#include "skin/opaque_picture_win.h"
#include "skin/skin_image_win.h"
#include "skin_test_support.h"

using namespace korvel::skin;

namespace {

// The decoded copy of an opaque picture holds the picture's own pixels: a
// JPEG's 24-bit pixels, widened by hand, keep every channel in its place and
// every row its own, all opaque.
TEST(OpaquePictureTest, TheDecodedCopyHoldsThePicturesOwnPixels) {
    korvel::skin::testing::startToolkit();
    for (const auto bytes : {korvel::pictures::mainBackground(), korvel::pictures::homePicture2(),
                             korvel::pictures::tileIcon2()}) {
        SkinImage image;
        ASSERT_NE(image.LoadFromBytes(bytes), nullptr);
        const int w = image.Width(), h = image.Height();
        HDC screen = GetDC(nullptr);
        OpaquePicture picture;
        const bool prepared = picture.Prepare(image.Handle(), screen);
        DibBuffer target;
        ASSERT_TRUE(target.Make(screen, w, h));
        ReleaseDC(nullptr, screen);
        ASSERT_TRUE(prepared);
        picture.Draw(target, {0, 0, w, h});  // natural size: a plain copy
        int differing = 0;
        for (int y = 0; y < h; y += 7)
            for (int x = 0; x < w; x += 5)
                differing += target.Pixel(x, y) != (image.Pixel(x, y) | 0xFF000000u);
        EXPECT_EQ(differing, 0) << w << "x" << h;
    }
}

}  // namespace
