#include "skin/opaque_picture_win.h"

#include <algorithm>

namespace korvel::skin {

bool OpaquePicture::Prepare(GpImage* image, HDC compatibleWith) {
    if (image == preparedFor_) return decoded_.Dc() != nullptr;
    preparedFor_ = image;
    decoded_.Reset();
    if (!image) return false;
    Gdiplus::PixelFormat format = 0;
    gdip::GdipGetImagePixelFormat(image, &format);
    if ((format & (PixelFormatAlpha | PixelFormatPAlpha)) != 0) return false;
    UINT w = 0, h = 0;
    gdip::GdipGetImageWidth(image, &w);
    gdip::GdipGetImageHeight(image, &h);
    if (w == 0 || h == 0 ||
        !decoded_.Make(compatibleWith, static_cast<int>(w), static_cast<int>(h)))
        return false;
    gdip::GdipDrawImageRectI(decoded_.Graphics(), image, 0, 0, static_cast<INT>(w),
                             static_cast<INT>(h));
    GdiFlush();
    return true;
}

void OpaquePicture::Forget() {
    decoded_.Reset();
    preparedFor_ = nullptr;
}

void OpaquePicture::Draw(DibBuffer& target, const IntRect& to) const {
    if (!decoded_.Dc() || to.width <= 0 || to.height <= 0) return;
    HDC dc = target.Dc();
    if (to.width == decoded_.Width() && to.height == decoded_.Height()) {
        BitBlt(dc, to.x, to.y, to.width, to.height, decoded_.Dc(), 0, 0, SRCCOPY);
        GdiFlush();
        return;
    }
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchBlt(dc, to.x, to.y, to.width, to.height, decoded_.Dc(), 0, 0, decoded_.Width(),
               decoded_.Height(), SRCCOPY);
    GdiFlush();
    // Halftone averaging leaves the alpha byte at 0; the picture is opaque.
    target.MakeOpaque(to);
}

}  // namespace korvel::skin
