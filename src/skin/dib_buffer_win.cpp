#include "skin/dib_buffer_win.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace korvel::skin {

namespace {

constexpr auto kSmoothingAntiAlias = Gdiplus::SmoothingModeAntiAlias;               // 4
constexpr auto kTextAntiAliasGridFit = Gdiplus::TextRenderingHintAntiAliasGridFit;  // 3

}  // namespace

bool DibBuffer::Make(HDC compatibleWith, int width, int height) {
    Reset();
    if (width <= 0 || height <= 0) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4;
    dc_.reset(CreateCompatibleDC(compatibleWith));
    if (!dc_) return false;
    bitmap_.reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits_, nullptr, 0));
    if (!bitmap_) {
        Reset();
        return false;
    }
    selected_ = SelectGuard(dc_.get(), bitmap_.get());
    GpBitmap* surface = nullptr;
    if (gdip::GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppPARGB,
                                        static_cast<BYTE*>(bits_), &surface) != Gdiplus::Ok) {
        Reset();
        return false;
    }
    surface_.reset(surface);
    if (gdip::GdipGetImageGraphicsContext(surface_.get(), graphics_.put()) != Gdiplus::Ok) {
        Reset();
        return false;
    }
    gdip::GdipSetSmoothingMode(graphics_.get(), kSmoothingAntiAlias);
    gdip::GdipSetTextRenderingHint(graphics_.get(), kTextAntiAliasGridFit);
    width_ = width;
    height_ = height;
    return true;
}

void DibBuffer::Reset() {
    graphics_.reset();
    surface_.reset();
    selected_.restore();
    bitmap_.reset();
    dc_.reset();
    bits_ = nullptr;
    width_ = 0;
    height_ = 0;
}

void DibBuffer::MakeOpaque(const IntRect& area) {
    if (!bits_) return;
    const int left = std::max(area.x, 0), right = std::min(area.x + area.width, width_);
    const int top = std::max(area.y, 0), bottom = std::min(area.y + area.height, height_);
    auto* pixels = static_cast<std::uint32_t*>(bits_);
    for (int y = top; y < bottom; ++y) {
        std::uint32_t* row = pixels + static_cast<size_t>(y) * static_cast<size_t>(width_);
        for (int x = left; x < right; ++x) row[x] |= 0xFF000000u;
    }
}

std::uint32_t DibBuffer::Pixel(int x, int y) const {
    if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    GdiFlush();
    const auto* row = static_cast<const std::uint32_t*>(bits_) +
                      static_cast<size_t>(y) * static_cast<size_t>(width_);
    return row[x];
}

void DibBuffer::FillOpaque(std::uint32_t argb) {
    if (!bits_) return;
    GdiFlush();  // GDI may still be writing these pixels
    std::fill_n(static_cast<std::uint32_t*>(bits_),
                static_cast<size_t>(width_) * static_cast<size_t>(height_), 0xFF000000u | argb);
}

void DibBuffer::CopyFrom(const DibBuffer& other) {
    if (!bits_ || !other.bits_) return;
    GdiFlush();
    const int rows = std::min(height_, other.height_);
    const size_t row = static_cast<size_t>(std::min(width_, other.width_)) * 4;
    for (int y = 0; y < rows; ++y)
        std::memcpy(static_cast<std::uint8_t*>(bits_) + static_cast<size_t>(y) * width_ * 4,
                    static_cast<const std::uint8_t*>(other.bits_) +
                        static_cast<size_t>(y) * other.width_ * 4,
                    row);
}

}  // namespace korvel::skin
