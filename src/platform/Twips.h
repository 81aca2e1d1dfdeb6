#pragma once

// Geometry is kept in twips where the windows compute with them; the conversion is fixed, never
// asked of the screen.
namespace platform {

inline constexpr long kTwipsPerPixel = 15;

constexpr long PixelsToTwips(long pixels) {
    return pixels * kTwipsPerPixel;
}
// Whole pixels, the remainder dropped.
constexpr long TwipsToPixels(long twips) {
    return twips / kTwipsPerPixel;
}

}  // namespace platform
