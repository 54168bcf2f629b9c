// SPDX-License-Identifier: MIT
#include "pixelformat.h"

#include "colorcode.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace Screen {

namespace {

    // Scales a channel of any width to 0..255, rounding to the nearest step so that full scale stays
    // full scale on 5-, 6- and 10-bit channels alike.
    int channel(std::uint32_t pixel, std::uint32_t mask)
    {
        if (mask == 0)
            return 0;
        const auto shift = std::countr_zero(mask);
        const auto max = mask >> shift;
        const auto value = (pixel & mask) >> shift;
        return static_cast<int>((std::uint64_t { value } * 255u + max / 2) / max);
    }

} // namespace

std::int32_t ToScreenColor(const std::uint8_t *data, std::size_t size, const PixelFormat &format)
{
    const auto bytes = static_cast<std::size_t>(format.bitsPerPixel + 7) / 8;
    if (data == nullptr || bytes == 0 || bytes > 4 || size < bytes)
        return -1;
    std::uint32_t pixel = 0;
    for (std::size_t i = 0; i < bytes; ++i) {
        const std::size_t index = format.mostSignificantByteFirst ? i : bytes - 1 - i;
        pixel = (pixel << 8) | data[index];
    }
    return colorcode::ScreenColor(
        channel(pixel, format.redMask), channel(pixel, format.greenMask), channel(pixel, format.blueMask));
}

PixelFormat ShmPixelFormat(std::uint32_t format)
{
    // wl_shm's codes: ARGB8888 and XRGB8888 are 0 and 1, the others their fourcc. All are little-endian.
    constexpr auto fourcc = [](const char(&code)[5]) {
        return std::uint32_t(code[0]) | std::uint32_t(code[1]) << 8 | std::uint32_t(code[2]) << 16
            | std::uint32_t(code[3]) << 24;
    };
    const std::uint32_t rgb8[] = { 0xFF0000, 0xFF00, 0xFF }, rgb10[] = { 0x3FF00000, 0xFFC00, 0x3FF };
    const auto layout = [](const std::uint32_t(&masks)[3], bool bgr) {
        return PixelFormat { masks[bgr ? 2 : 0], masks[1], masks[bgr ? 0 : 2], 32, false };
    };
    if (format == 0 || format == 1)
        return layout(rgb8, false);
    if (format == fourcc("AB24") || format == fourcc("XB24"))
        return layout(rgb8, true);
    if (format == fourcc("AR30") || format == fourcc("XR30"))
        return layout(rgb10, false);
    if (format == fourcc("AB30") || format == fourcc("XB30"))
        return layout(rgb10, true);
    return { 0, 0, 0, 0, false };
}

std::int32_t ScreenColorFromUnit(double red, double green, double blue)
{
    const auto level = [](double unit) {
        return std::isnan(unit) ? 0 : int(std::lround(std::clamp(unit, 0.0, 1.0) * 255));
    };
    return colorcode::ScreenColor(level(red), level(green), level(blue));
}

} // namespace Screen
