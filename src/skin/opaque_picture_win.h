// An opaque picture decoded once into a DIB, so that drawing it at another
// size is a halftone StretchBlt instead of a GDI+ resampling, some 20 times
// faster under Wine and as smooth. Pictures with alpha are left to GDI+,
// which blends them.
#pragma once

#include <optional>

#include "skin/dib_buffer_win.h"
#include "skin/gdi_handles_win.h"

namespace korvel::skin {

class OpaquePicture {
  public:
    // Decodes image for drawing (once per image handle). False when it has
    // alpha or cannot be decoded; the caller then draws it with GDI+.
    bool Prepare(GpImage* image, HDC compatibleWith);
    // The image changed or went away: the decoded copy is stale.
    void Forget();
    // Draws the prepared picture into the buffer, scaled to the rectangle
    // and kept inside clip (and the buffer); the pixels drawn are opaque.
    // GDI draws here, so a GDI+ clip on the buffer does not bind it: a
    // partial repaint passes its area as clip.
    void Draw(DibBuffer& target, const IntRect& to,
              const std::optional<IntRect>& clip = std::nullopt) const;

  private:
    bool copyPixels(GpImage* image, int width, int height);

    DibBuffer decoded_;
    GpImage* preparedFor_ = nullptr;
};

}  // namespace korvel::skin
