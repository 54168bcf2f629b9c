// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Every text Zumeko shows or exports for a colour. Pure functions, no state, no Qt: the labels and the
// clipboard get exactly these strings. UTF-16, because that is what the label captions hold.
namespace colorcode {

// A screen colour value, as the pixel read gives it and the swatch takes it: 0x00BBGGRR, red in the low
// byte. Every packing and unpacking of one goes through these two.
struct Channels {
    int red = 0, green = 0, blue = 0;
};
constexpr std::int32_t ScreenColor(int red, int green, int blue)
{
    return static_cast<std::int32_t>((red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16);
}
constexpr Channels ChannelsOf(std::int32_t color)
{
    return { color & 0xFF, color >> 8 & 0xFF, color >> 16 & 0xFF };
}

// "　：　": U+3000 IDEOGRAPHIC SPACE, U+FF1A FULLWIDTH COLON, U+3000.
inline constexpr std::u16string_view DecimalSeparator = u"\u3000\uFF1A\u3000";

// A channel value is 0..255; anything outside is clamped to that range first.
std::u16string ChannelDecimalText(int value); // "128　：　"
std::u16string ChannelHexText(int value); // "80", always two upper-case digits

// "#" + r + g + b, taken verbatim: in slider mode the labels are the model, so the code shows each
// channel exactly as its label does.
std::u16string ColorcodeFromChannels(std::u16string_view r, std::u16string_view g, std::u16string_view b);

// A screen colour is 0x00BBGGRR. Only bits 0..23 are read: the top byte carries no colour (a Windows
// COLORREF may use it as a flag), so a value with it set still names the colour of its low 24 bits.
std::u16string ColorcodeFromScreenColor(std::uint32_t color);

// The code text alone, or inside an opening font tag; never a line break.
std::u16string CopyText(std::u16string_view code, bool withFontTag);

// Position text: "X：120　　Y：45".
std::u16string CursorPositionText(std::int32_t x, std::int32_t y);

} // namespace colorcode
