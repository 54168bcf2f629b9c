// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>

namespace Module1 {

constexpr int CrossHairSize = 15, CrossHairHotSpot = 7;

// The pointer's image over the overlays, row by row in ARGB: white arms outlined in black, and a hole around
// the hot spot. A compositor that draws its cursor into the picture, as a headless one does, would otherwise
// hand back the cursor's own colour for the pixel under it.
constexpr std::array<std::uint32_t, CrossHairSize * CrossHairSize> CrossHair()
{
    constexpr int Hole = 2;
    const auto arm = [](int x, int y) {
        const int dx = std::abs(x - CrossHairHotSpot), dy = std::abs(y - CrossHairHotSpot);
        return (dx == 0 || dy == 0) && std::max(dx, dy) > Hole;
    };
    std::array<std::uint32_t, CrossHairSize * CrossHairSize> pixels {};
    for (int y = 0; y < CrossHairSize; ++y) {
        for (int x = 0; x < CrossHairSize; ++x) {
            const bool outline = arm(x - 1, y) || arm(x + 1, y) || arm(x, y - 1) || arm(x, y + 1);
            pixels[std::size_t(y * CrossHairSize + x)] = arm(x, y) ? 0xFFFFFFFF : outline ? 0xFF000000 : 0;
        }
    }
    return pixels;
}

} // namespace Module1
