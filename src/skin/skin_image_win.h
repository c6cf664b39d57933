// One GDI+ image of the toolkit: background pictures, the caption sprite,
// icons. Built-in pictures arrive as file bytes and are loaded through a
// stream on a global block that lives as long as the image (GDI+ reads the
// stream lazily, so the bytes must stay).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "skin/gdi_handles_win.h"

namespace korvel::skin {

class SkinImage {
  public:
    SkinImage() = default;
    ~SkinImage() { Release(); }
    SkinImage(const SkinImage&) = delete;
    SkinImage& operator=(const SkinImage&) = delete;
    SkinImage(SkinImage&& other) noexcept;
    SkinImage& operator=(SkinImage&& other) noexcept;

    // Frees the memory block and the image.
    void Release();
    // Each loader releases first; on failure the image stays empty (Handle() null).
    GpImage* LoadFromBytes(std::span<const std::uint8_t> bytes);
    GpImage* LoadFromFile(const std::string& gbkPath);
    bool CreateBlank(int width, int height, int stride, int pixelFormat = PixelFormat32bppARGB,
                     std::uint8_t* pixels = nullptr);
    // A 32-bit copy of the icon that keeps its alpha channel.
    GpImage* FromIcon(HICON icon);
    GpImage* FromBitmap(HBITMAP bitmap);

    GpImage* Handle() const { return image_; }
    // Takes ownership of an image made elsewhere (the old one is released).
    void SetHandle(GpImage* image);
    explicit operator bool() const { return image_ != nullptr; }

    int Width() const;
    int Height() const;
    // The pixel as 0xAARRGGBB; 0 for no image or a point outside it.
    std::uint32_t Pixel(int x, int y) const;
    int FrameCount() const;
    // Frame delays in hundredths of a second; false (and empty) for a still picture.
    bool FrameDelays(std::vector<int>& delays) const;
    bool SelectFrame(int index);
    void RotateFlip(Gdiplus::RotateFlipType type);

  private:
    GpImage* image_ = nullptr;
    HGLOBAL memory_ = nullptr;
};

}  // namespace korvel::skin
