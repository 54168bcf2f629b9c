// SPDX-License-Identifier: MIT
#include "loupe.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace Loupe {

namespace {

    constexpr int Steps = int(std::size(BlockSizes));
    constexpr double Side = 80; // logical pixels: about 2 cm where one is 1/96 inch
    constexpr double Gap = 16; // logical pixels between the hot spot and the loupe's nearest edge

    // Along one axis: after the hot spot where there is room, else before it, away from it to a whole
    // `grid` of pixels from the monitor's edge; then on the monitor.
    int place(int hot, int side, int gap, int low, int extent, int grid)
    {
        int at = hot + gap;
        if (at + side <= low + extent)
            at = low + (at - low + grid - 1) / grid * grid;
        else // a place before the monitor's edge is clamped to it below, whichever way it rounds
            at = low + (hot - gap - side + 1 - low) / grid * grid;
        return std::max(low, std::min(at, low + extent - side));
    }

} // namespace

int Zoom(int step, int notches)
{
    const int next = (step == Closed ? -1 : step) + notches;
    return next < 0 ? Closed : std::min(next, Steps - 1);
}

int Across(int step, double scale)
{
    const int fit = int(std::lround(Side * scale)) / BlockSizes[std::clamp(step, 0, Steps - 1)];
    return std::max(3, fit % 2 == 0 ? fit - 1 : fit);
}

Rect View(int x, int y, int across)
{
    return { x - across / 2, y - across / 2, across, across };
}

Rect Placement(int x, int y, int side, const Rect &monitor, double scale)
{
    const int gap = int(std::ceil(Gap * scale));
    // A window goes where a whole logical pixel begins: at scale 2 an odd place cannot be had.
    const int grid = scale >= 1 && scale == std::floor(scale) ? int(scale) : 1;
    return { place(x, side, gap, monitor.x, monitor.width, grid),
        place(y, side, gap, monitor.y, monitor.height, grid), side, side };
}

} // namespace Loupe
