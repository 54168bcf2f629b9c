// SPDX-License-Identifier: MIT
#pragma once

#include <QRect>

// Every place and size of the window layouts is kept in twips, as designed, and converted here only.
namespace Forms {

inline constexpr int TwipsPerPixel = 15; // 1440 twips an inch at 96 logical dots an inch

struct Place {
    int left, top, width, height;
};

constexpr int Pixels(int twips)
{
    return (twips + (twips >= 0 ? TwipsPerPixel / 2 : -TwipsPerPixel / 2)) / TwipsPerPixel;
}

constexpr QRect ToPixels(const Place &p)
{
    return { Pixels(p.left), Pixels(p.top), Pixels(p.width), Pixels(p.height) };
}

} // namespace Forms
