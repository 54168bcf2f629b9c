// SPDX-License-Identifier: MIT
#pragma once

// The loupe of screen mode: a magnified view of the physical pixels around the one under the pointer. Its
// geometry, all in physical screen pixels, as rules of their own.
namespace Loupe {

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Rect &) const = default;
};

// The size of a block, one physical pixel seen through the loupe, at each zoom step: each twice the last.
inline constexpr int BlockSizes[] = { 4, 8, 16 };
inline constexpr int Closed = -1; // the step of a loupe that is not shown

// The step after `notches` turns of the wheel, away from the user when positive: from closed the first
// opens the loupe at the smallest step; past the largest it stays there; below the smallest it closes.
int Zoom(int step, int notches);

// How many pixels the view shows across at `step` on a screen whose logical pixel is `scale` physical ones:
// as many as fill about 2 cm, an odd number so that one is in the middle, and never fewer than 3.
int Across(int step, double scale);

// The pixels the view shows, `across` square, centred on the pixel at (x, y).
Rect View(int x, int y, int across);

// Where a loupe `side` pixels square goes for the pointer's hot spot at (x, y) on `monitor`: below and to
// the right of it, its nearest edge 16 logical pixels away; on the other side of the hot spot along an axis
// that has no room; where a whole logical pixel begins, so that a window can be put there; and always wholly
// on the monitor, as near as it can be where the monitor is smaller.
Rect Placement(int x, int y, int side, const Rect &monitor, double scale);

} // namespace Loupe
