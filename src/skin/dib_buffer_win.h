// One off-screen 32-bit DIB section with its memory DC and a GDI+ Graphics
// on it, the way every buffer of a skinned window is made. GDI+ draws into
// the DIB's own pixels through a premultiplied-ARGB bitmap over them: a
// Graphics made from the DC would treat the pixels as opaque RGB and lose
// the alpha that layered windows and AlphaBlend need. The rows run top-down.
#pragma once

#include <cstdint>

#include "skin/gdi_handles_win.h"
#include "skin/skin_geometry.h"

namespace korvel::skin {

class DibBuffer {
  public:
    DibBuffer() = default;
    ~DibBuffer() { Reset(); }
    DibBuffer(const DibBuffer&) = delete;
    DibBuffer& operator=(const DibBuffer&) = delete;

    // Makes (or re-makes) the buffer at width x height, compatible with dc.
    // The Graphics uses anti-aliased drawing and anti-aliased grid-fit text.
    bool Make(HDC compatibleWith, int width, int height);
    // Deletes the Graphics, selects the kept bitmap back, deletes the DIB and the DC.
    void Reset();

    HDC Dc() const { return dc_.get(); }
    GpGraphics* Graphics() const { return graphics_.get(); }
    HBITMAP Bitmap() const { return bitmap_.get(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void* Bits() const { return bits_; }
    // Sets the alpha of every pixel of the area (clipped to the buffer) to 255.
    void MakeOpaque(const IntRect& area);
    // Every pixel becomes the colour (0xAARRGGBB, its alpha made 255): what a
    // GDI+ clear does, without its per-pixel path, which under Wine costs
    // milliseconds a frame.
    void FillOpaque(std::uint32_t argb);
    // Other's pixels over this buffer's at the same places, from the top left
    // corner as far as both buffers reach (a plain copy of rows: no blending).
    void CopyFrom(const DibBuffer& other);
    // The pixel at (x, y) as premultiplied 0xAARRGGBB, 0 outside the buffer.
    std::uint32_t Pixel(int x, int y) const;

  private:
    MemoryDc dc_;
    GdiBitmap bitmap_;
    SelectGuard selected_;
    GdipImagePtr surface_;  // GDI+ bitmap over bits_
    GdipGraphicsPtr graphics_;
    void* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace korvel::skin
