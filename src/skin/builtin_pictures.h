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

// Main window background, 550 x 825 JPEG, stretched over the window; its
// pixel at 85 % of width and height is a warm orange for the frame colour.
std::span<const std::uint8_t> mainBackground();

// Page tab icons (PNG): home 54 x 54, waybill query 55 x 55, outlets 54 x 54.
std::span<const std::uint8_t> tabHomeIcon();
std::span<const std::uint8_t> tabQueryIcon();
std::span<const std::uint8_t> tabOutletsIcon();

// Advertising tile icons: PNG 47 x 50, JPEG 50 x 50, PNG 50 x 38, JPEG 50 x 48.
std::span<const std::uint8_t> tileIcon1();
std::span<const std::uint8_t> tileIcon2();
std::span<const std::uint8_t> tileIcon3();
std::span<const std::uint8_t> tileIcon4();

// Home page pictures: PNG 158 x 92, JPEG 550 x 456, JPEG 302 x 302.
std::span<const std::uint8_t> homePicture1();
std::span<const std::uint8_t> homePicture2();
std::span<const std::uint8_t> homePicture3();

// The outlets page animation: 87 x 87 GIF, 12 full frames of 60 ms each,
// looping forever.
std::span<const std::uint8_t> parcelAnimation();

// Progress bar thumbs, 18 x 18 RGBA PNG: blue and orange.
std::span<const std::uint8_t> progressThumb();
std::span<const std::uint8_t> progressThumb2();

}  // namespace korvel::pictures
