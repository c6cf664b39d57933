#include "skin/opaque_picture_win.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

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
    if (!copyPixels(image, static_cast<int>(w), static_cast<int>(h))) {
        gdip::GdipDrawImageRectI(decoded_.Graphics(), image, 0, 0, static_cast<INT>(w),
                                 static_cast<INT>(h));
        GdiFlush();
    }
    return true;
}

bool OpaquePicture::copyPixels(GpImage* image, int w, int h) {
    // Reading the decoded bits is a plain conversion; drawing at 1:1 goes
    // through GDI+'s resampling, which under Wine costs several times more.
    Gdiplus::ImageType type = Gdiplus::ImageTypeUnknown;
    if (gdip::GdipGetImageType(image, &type) != Gdiplus::Ok || type != Gdiplus::ImageTypeBitmap)
        return false;
    auto* bitmap = static_cast<Gdiplus::GpBitmap*>(image);
    const Gdiplus::GpRect all{0, 0, w, h};
    // A JPEG decodes to 24-bit pixels; read as they are, they widen here far
    // faster than through GDI+'s own conversion.
    Gdiplus::PixelFormat format = 0;
    gdip::GdipGetImagePixelFormat(image, &format);
    const bool wide = format != PixelFormat24bppRGB;
    Gdiplus::BitmapData data{};
    if (gdip::GdipBitmapLockBits(bitmap, &all, Gdiplus::ImageLockModeRead,
                                 wide ? PixelFormat32bppRGB : PixelFormat24bppRGB,
                                 &data) != Gdiplus::Ok)
        return false;
    GdiFlush();
    auto* to = static_cast<std::uint8_t*>(decoded_.Bits());
    const auto* from = static_cast<const std::uint8_t*>(data.Scan0);
    const size_t row = static_cast<size_t>(w) * 4;
    for (int y = 0; y < h; ++y) {
        std::uint8_t* out = to + row * static_cast<size_t>(y);
        const std::uint8_t* in = from + static_cast<std::ptrdiff_t>(y) * data.Stride;
        if (wide) {
            std::memcpy(out, in, row);
            continue;
        }
        for (int x = 0; x < w; ++x, out += 4, in += 3) {
            out[0] = in[0];  // blue, green, red; the alpha is set below
            out[1] = in[1];
            out[2] = in[2];
        }
    }
    gdip::GdipBitmapUnlockBits(bitmap, &data);
    decoded_.MakeOpaque({0, 0, w, h});
    return true;
}

void OpaquePicture::Forget() {
    decoded_.Reset();
    preparedFor_ = nullptr;
}

void OpaquePicture::Draw(DibBuffer& target, const IntRect& to,
                         const std::optional<IntRect>& clip) const {
    if (!decoded_.Dc() || to.width <= 0 || to.height <= 0) return;
    IntRect shown = to;
    if (clip) {
        const int left = std::max(to.x, clip->x);
        const int top = std::max(to.y, clip->y);
        const int right = std::min(to.x + to.width, clip->x + clip->width);
        const int bottom = std::min(to.y + to.height, clip->y + clip->height);
        if (right <= left || bottom <= top) return;
        shown = {left, top, right - left, bottom - top};
    }
    HDC dc = target.Dc();
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, shown.x, shown.y, shown.x + shown.width, shown.y + shown.height);
    if (to.width == decoded_.Width() && to.height == decoded_.Height()) {
        BitBlt(dc, to.x, to.y, to.width, to.height, decoded_.Dc(), 0, 0, SRCCOPY);
    } else {
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchBlt(dc, to.x, to.y, to.width, to.height, decoded_.Dc(), 0, 0, decoded_.Width(),
                   decoded_.Height(), SRCCOPY);
    }
    RestoreDC(dc, saved);
    GdiFlush();
    // Halftone averaging leaves the alpha byte at 0; the picture is opaque.
    target.MakeOpaque(shown);
}

}  // namespace korvel::skin
