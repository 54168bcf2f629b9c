// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>

namespace Screen {

// How one pixel of a Z-format screen image is laid out: the visual's channel masks, the bits it takes
// and the server's byte order. Kept apart from xcb so that every screen depth can be checked anywhere.
struct PixelFormat {
    std::uint32_t redMask = 0xFF0000;
    std::uint32_t greenMask = 0x00FF00;
    std::uint32_t blueMask = 0x0000FF;
    int bitsPerPixel = 32; // 8, 16, 24 or 32
    bool mostSignificantByteFirst = false;
};

// The first pixel of `data` as 0x00BBGGRR with true 8-bit channels (a 5-bit channel's 31 becomes 255,
// a 10-bit channel's 1023 becomes 255); -1 when `size` is too short to hold a pixel.
std::int32_t ToScreenColor(const std::uint8_t *data, std::size_t size, const PixelFormat &format);

// The layout of a wl_shm buffer format: the 8-bit and the 10-bit ones, with or without alpha (which is
// not colour); an unset bitsPerPixel for any other.
PixelFormat ShmPixelFormat(std::uint32_t format);

// A colour given as three sRGB channels from 0 to 1 (a desktop portal's answer), each rounded to the
// nearest of 0..255; out of range is clamped, and what is not a number counts as 0.
std::int32_t ScreenColorFromUnit(double red, double green, double blue);

} // namespace Screen
