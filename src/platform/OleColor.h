#pragma once

#include <QColor>
#include <QGuiApplication>
#include <QPalette>

#include <cstdint>

// Colours as the windows keep them: 0x00BBGGRR, or with the top bit set the number of a system
// colour, which the desktop's palette stands in for.
namespace platform {

using OleColor = std::uint32_t;

inline constexpr OleColor RGB(int red, int green, int blue) {
    return OleColor(red & 0xFF) | (OleColor(green & 0xFF) << 8) | (OleColor(blue & 0xFF) << 16);
}

inline constexpr OleColor kSystemColourBit = 0x80000000;
inline constexpr OleColor vbButtonFace = 0x8000000F;

inline QColor ToQColor(OleColor colour) {
    if (!(colour & kSystemColourBit)) {
        return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
    }
    const QPalette palette = QGuiApplication::palette();
    switch (colour & 0xFF) {
        case 5:  // window
            return palette.color(QPalette::Base);
        case 8:   // window text
        case 18:  // button text
            return palette.color(QPalette::WindowText);
        case 13:  // highlight
            return palette.color(QPalette::Highlight);
        case 14:  // highlight text
            return palette.color(QPalette::HighlightedText);
        case 16:  // button shadow
            return palette.color(QPalette::Dark);
        case 20:  // button highlight
            return palette.color(QPalette::Light);
        case 23:  // tool tip text
            return palette.color(QPalette::ToolTipText);
        case 24:  // tool tip background
            return palette.color(QPalette::ToolTipBase);
        default:  // 15, button face, and the rest
            return palette.color(QPalette::Button);
    }
}

}  // namespace platform
