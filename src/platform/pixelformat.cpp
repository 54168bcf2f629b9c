// SPDX-License-Identifier: MIT
#include "pixelformat.h"

#include <bit>

namespace Module1 {

namespace {

    // Scales a channel of any width to 0..255, rounding to the nearest step so that full scale stays
    // full scale on 5-, 6- and 10-bit channels alike.
    std::uint32_t channel(std::uint32_t pixel, std::uint32_t mask)
    {
        if (mask == 0)
            return 0;
        const auto shift = std::countr_zero(mask);
        const auto max = mask >> shift;
        const auto value = (pixel & mask) >> shift;
        return static_cast<std::uint32_t>((std::uint64_t { value } * 255u + max / 2) / max);
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
    const auto r = channel(pixel, format.redMask);
    const auto g = channel(pixel, format.greenMask);
    const auto b = channel(pixel, format.blueMask);
    return static_cast<std::int32_t>(r | (g << 8) | (b << 16));
}

} // namespace Module1
