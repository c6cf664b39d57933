#include "skin/skin_image_win.h"

#include <objbase.h>

#include <cstring>
#include <utility>

#include "text/wide_text_win.h"

namespace korvel::skin {

namespace {

constexpr wchar_t kTimeDimension[] = L"{6AEDBD6D-3FB5-418A-83A6-7F45229DC872}";
constexpr PROPID kFrameDelayProperty = 0x5100;

GUID timeDimension() {
    GUID guid{};
    CLSIDFromString(const_cast<LPOLESTR>(kTimeDimension), &guid);
    return guid;
}

struct ReleaseStream {
    void operator()(IStream* s) const { s->Release(); }
};

}  // namespace

SkinImage::SkinImage(SkinImage&& other) noexcept
    : image_(std::exchange(other.image_, nullptr)),
      memory_(std::exchange(other.memory_, nullptr)) {}

SkinImage& SkinImage::operator=(SkinImage&& other) noexcept {
    if (this != &other) {
        Release();
        image_ = std::exchange(other.image_, nullptr);
        memory_ = std::exchange(other.memory_, nullptr);
    }
    return *this;
}

void SkinImage::Release() {
    if (image_) gdip::GdipDisposeImage(image_);
    image_ = nullptr;
    if (memory_) GlobalFree(memory_);
    memory_ = nullptr;
}

GpImage* SkinImage::LoadFromBytes(std::span<const std::uint8_t> bytes) {
    Release();
    if (bytes.empty()) return nullptr;
    GlobalMemory block(GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
    if (!block) return nullptr;
    void* p = GlobalLock(block.get());
    if (!p) return nullptr;
    std::memcpy(p, bytes.data(), bytes.size());
    GlobalUnlock(block.get());
    IStream* raw = nullptr;
    // The stream does not own the block: it stays ours until Release.
    if (CreateStreamOnHGlobal(block.get(), FALSE, &raw) != S_OK || !raw) return nullptr;
    UniqueHandle<IStream*, ReleaseStream> stream(raw);
    GpImage* image = nullptr;
    if (gdip::GdipLoadImageFromStream(stream.get(), &image) != Gdiplus::Ok) return nullptr;
    image_ = image;
    memory_ = block.release();
    return image_;
}

GpImage* SkinImage::LoadFromFile(const std::string& gbkPath) {
    Release();
    const std::wstring path = text::toWide(gbkPath);
    if (path.empty()) return nullptr;
    GpImage* image = nullptr;
    if (gdip::GdipLoadImageFromFile(path.c_str(), &image) != Gdiplus::Ok) return nullptr;
    image_ = image;
    return image_;
}

bool SkinImage::CreateBlank(int width, int height, int stride, int pixelFormat,
                            std::uint8_t* pixels) {
    Release();
    GpBitmap* bitmap = nullptr;
    if (gdip::GdipCreateBitmapFromScan0(width, height, stride, pixelFormat, pixels, &bitmap) !=
        Gdiplus::Ok)
        return false;
    image_ = bitmap;
    return true;
}

GpImage* SkinImage::FromIcon(HICON icon) {
    Release();
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return nullptr;
    GdiBitmap color(info.hbmColor);
    GdiBitmap mask(info.hbmMask);
    BITMAP bm{};
    if (!color || !GetObjectW(color.get(), sizeof bm, &bm)) {
        // A monochrome icon has no colour plane; GDI+ converts it without alpha.
        GpBitmap* plain = nullptr;
        if (gdip::GdipCreateBitmapFromHICON(icon, &plain) == Gdiplus::Ok) image_ = plain;
        return image_;
    }
    const int w = bm.bmWidth;
    const int h = bm.bmHeight;
    // Read the colour plane as top-down 32-bit rows, alpha included, so the
    // translucent edges of the icon survive (GdipCreateBitmapFromHICON drops them).
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels(static_cast<size_t>(w) * h);
    WindowDc screen(nullptr);
    const int rows = GetDIBits(screen.get(), color.get(), 0, h, pixels.data(), &bi, DIB_RGB_COLORS);
    bool anyAlpha = false;
    for (std::uint32_t p : pixels) anyAlpha = anyAlpha || (p >> 24) != 0;
    if (rows != h || !anyAlpha) {
        GpBitmap* plain = nullptr;
        if (gdip::GdipCreateBitmapFromHICON(icon, &plain) == Gdiplus::Ok) image_ = plain;
        return image_;
    }
    GpBitmap* wrapped = nullptr;
    if (gdip::GdipCreateBitmapFromScan0(w, h, w * 4, PixelFormat32bppARGB,
                                        reinterpret_cast<BYTE*>(pixels.data()),
                                        &wrapped) != Gdiplus::Ok)
        return nullptr;
    // The wrapped bitmap borrows our vector: clone it into an image of its own.
    GdipImagePtr borrowed(wrapped);
    GpBitmap* copy = nullptr;
    if (gdip::GdipCloneBitmapAreaI(0, 0, w, h, PixelFormat32bppARGB, wrapped, &copy) == Gdiplus::Ok)
        image_ = copy;
    return image_;
}

GpImage* SkinImage::FromBitmap(HBITMAP bitmap) {
    Release();
    GpBitmap* image = nullptr;
    if (!bitmap || gdip::GdipCreateBitmapFromHBITMAP(bitmap, nullptr, &image) != Gdiplus::Ok)
        return nullptr;
    image_ = image;
    return image_;
}

void SkinImage::SetHandle(GpImage* image) {
    if (image == image_) return;
    Release();
    image_ = image;
}

int SkinImage::Width() const {
    UINT w = 0;
    if (image_) gdip::GdipGetImageWidth(image_, &w);
    return static_cast<int>(w);
}

int SkinImage::Height() const {
    UINT h = 0;
    if (image_) gdip::GdipGetImageHeight(image_, &h);
    return static_cast<int>(h);
}

std::uint32_t SkinImage::Pixel(int x, int y) const {
    Gdiplus::ARGB color = 0;
    if (!image_ || x < 0 || y < 0 || x >= Width() || y >= Height()) return 0;
    if (gdip::GdipBitmapGetPixel(static_cast<GpBitmap*>(image_), x, y, &color) != Gdiplus::Ok)
        return 0;
    return color;
}

int SkinImage::FrameCount() const {
    if (!image_) return 0;
    const GUID dim = timeDimension();
    UINT count = 0;
    if (gdip::GdipImageGetFrameCount(image_, &dim, &count) != Gdiplus::Ok) return 0;
    return static_cast<int>(count);
}

bool SkinImage::FrameDelays(std::vector<int>& delays) const {
    delays.clear();
    if (!image_) return false;
    UINT size = 0;
    if (gdip::GdipGetPropertyItemSize(image_, kFrameDelayProperty, &size) != Gdiplus::Ok ||
        size < sizeof(Gdiplus::PropertyItem))
        return false;
    std::vector<std::uint8_t> buffer(size);
    auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(buffer.data());
    if (gdip::GdipGetPropertyItem(image_, kFrameDelayProperty, size, item) != Gdiplus::Ok)
        return false;
    const size_t n = item->length / sizeof(std::uint32_t);
    const auto* values = static_cast<const std::uint32_t*>(item->value);
    for (size_t i = 0; i < n; ++i) delays.push_back(static_cast<int>(values[i]));
    return !delays.empty();
}

bool SkinImage::SelectFrame(int index) {
    if (!image_ || index < 0) return false;
    const GUID dim = timeDimension();
    return gdip::GdipImageSelectActiveFrame(image_, &dim, static_cast<UINT>(index)) == Gdiplus::Ok;
}

void SkinImage::RotateFlip(Gdiplus::RotateFlipType type) {
    if (image_) gdip::GdipImageRotateFlip(image_, type);
}

}  // namespace korvel::skin
