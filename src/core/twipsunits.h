// SPDX-License-Identifier: MIT
#pragma once

// Every place and size of the window layouts is kept in twips, as designed, and converted to pixels by
// Pixels() alone (the forms library's twips.h applies it to a whole place).
namespace Twips {

inline constexpr int PerPixel = 15; // 1440 twips an inch at 96 logical dots an inch

struct Place {
    int left, top, width, height;
};

constexpr int Pixels(int twips)
{
    return (twips + (twips >= 0 ? PerPixel / 2 : -PerPixel / 2)) / PerPixel;
}

} // namespace Twips
