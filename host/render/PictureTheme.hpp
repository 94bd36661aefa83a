// The look of a dialog picture: the colours and measures of the host's dialogs on
// Windows, in one place so that the drawing code and the picture tests agree.
#pragma once

#include <cstdint>

namespace velmora::render {

// An opaque colour as 0xRRGGBB.
struct Colour {
    std::uint32_t rgb;
    double Red() const { return static_cast<double>((rgb >> 16) & 0xff) / 255.0; }
    double Green() const { return static_cast<double>((rgb >> 8) & 0xff) / 255.0; }
    double Blue() const { return static_cast<double>(rgb & 0xff) / 255.0; }
};

namespace theme {

inline constexpr Colour DialogFace{0xf0f0f0}; // the client area behind every item
inline constexpr Colour Text{0x000000};
inline constexpr Colour DisabledText{0x838383};

inline constexpr Colour ButtonFace{0xe1e1e1};
inline constexpr Colour ButtonBorder{0xadadad};
inline constexpr Colour DisabledButtonFace{0xcccccc};
inline constexpr Colour DisabledButtonBorder{0xbfbfbf};

inline constexpr Colour FieldFace{0xffffff}; // list boxes, edit fields, check boxes
inline constexpr Colour FieldBorder{0x828790};
inline constexpr Colour Selection{0x0078d7};
inline constexpr Colour SelectedText{0xffffff};
inline constexpr Colour ScrollTrack{0xe8e8e8};
inline constexpr Colour ScrollThumb{0xc2c2c2};

inline constexpr Colour SeparatorShadow{0xa0a0a0};
inline constexpr Colour SeparatorLight{0xffffff};

// An image resource that cannot be read is drawn as a crossed box in this colour.
inline constexpr Colour MissingImage{0xc00000};

// The window frame around the client area.
inline constexpr Colour FrameBorder{0x707070};
inline constexpr Colour TitleBar{0xffffff};
inline constexpr int FrameBorderWidth = 1;
inline constexpr int TitleBarHeight = 30;

// Fonts, in pixels: the dialog font and the large font of items that ask for it.
inline constexpr int FontPixels = 12;
inline constexpr int LargeFontPixels = 15;

inline constexpr int DefaultRowHeight = 18; // a list without a row height of its own
inline constexpr int ScrollBarWidth = 17;
inline constexpr int CheckBoxSize = 13;

} // namespace theme

} // namespace velmora::render
