#pragma once

// The program's built-in pictures, as the bytes of their files (PNG, JPEG or
// GIF). The arrays are generated at build time from assets/pictures; every
// span stays valid for the whole run and is never empty.

#include <cstdint>
#include <span>

namespace korvel::pictures {

// Caption buttons, 729 x 20 RGBA PNG: one row of 24 cells (normal, hover,
// pressed per kind) with one transparent column between cells.
std::span<const std::uint8_t> captionSprite();

// Message-box icons, 200 x 40 RGBA PNG: error, warning, question,
// information and success, 40 x 40 each, left to right.
std::span<const std::uint8_t> messageIcons();

}  // namespace korvel::pictures
