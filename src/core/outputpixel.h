// SPDX-License-Identifier: MIT
#pragma once

#include "pixelformat.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>

namespace Screen {

// An output as a Wayland compositor describes it: its mode, in physical pixels as its buffer lies
// (wl_output.mode); its size in the compositor's layout (xdg_output.logical_size), which is the mode turned
// by the transform and divided by the scale, cut to whole units; and that transform (wl_output.geometry's,
// one of the eight WL_OUTPUT_TRANSFORM values).
struct OutputShape {
    int width = 0, height = 0;
    int logicalWidth = 0, logicalHeight = 0;
    int transform = 0;
    bool operator==(const OutputShape &) const = default;
};

struct Box {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Box &) const = default;
};

// The physical pixel whose area holds the pointer's hot spot at (x, y), in the output's logical coordinates
// in wl_fixed units (1/256), as the user sees the output: {column, row, and the output's width and height in
// those pixels}.
Box PixelUnder(const OutputShape &output, std::int32_t x, std::int32_t y);

// How a compositor finds a screencopy region in the output's buffer. The region is in the layout's
// orientation, so it must be turned back by the output's transform, which wlroots does since 0.16; wlroots
// 0.15 (sway 1.7) turns it forward instead, which is the same but on outputs rotated by 90 or 270 degrees.
enum class RegionTurn { Back, Forward };

// The physical box of the output's buffer that a capture of `region` (in the output's logical
// coordinates) copies, as wlroots computes it: turned, then each of place and size scaled and cut to whole
// pixels.
Box CapturedBox(const OutputShape &output, const Box &region, RegionTurn turn);

// What to capture to read the physical pixel whose area holds the pointer's hot spot at (x, y), in the
// output's logical coordinates in wl_fixed units (1/256), and those of the output up to `radius` pixels
// from it each way (the loupe's): a region that surely holds them, the size of the buffer the capture comes
// in, where that buffer lies in the output's, and where the pixel lies in it (rows from the buffer's top
// before any y_invert). An empty region stands for the whole output, which is asked for where no region
// can reach them (the last physical row or column of an output at a fractional scale), and where the way
// the compositor turns regions is not known (`turn` empty).
struct PixelCapture {
    Box region;
    int bufferWidth = 0, bufferHeight = 0;
    int left = 0, top = 0;
    int column = 0, row = 0;
    bool operator==(const PixelCapture &) const = default;
};
PixelCapture CapturePixelUnder(const OutputShape &output, std::int32_t x, std::int32_t y,
    std::optional<RegionTurn> turn, int radius = 0);

// Where the pixel `dx` to the right of and `dy` below the one a capture made to `plan` reads, as the user
// sees the output, lies in its buffer: as {column, row}; nothing beyond the output's edge.
std::optional<std::pair<int, int>> PixelBeside(
    const OutputShape &output, const PixelCapture &plan, int dx, int dy);

// True when the two ways of turning a region differ on this output.
bool TurnMatters(const OutputShape &output);

// The output's scale, as its compositor holds it (a float): the simplest fraction that gives the logical
// size from the mode, which is the scale a user sets (1.25, 1.5, 2). 0 for a shape that is not known yet.
float OutputScale(const OutputShape &output);

// What a capture came back with: the output's shape when it was asked for, the region asked for (empty for
// the whole output), and its pixels, 32 bits each, row by row from the top (from the bottom if y-inverted).
struct Captured {
    OutputShape shape;
    Box region;
    const std::uint8_t *data = nullptr;
    std::size_t size = 0; // in bytes
    int width = 0, height = 0, stride = 0;
    PixelFormat format;
    bool yInverted = false;
};

// The colour at a pixel of a capture, counted from the top of what it shows, as 0x00BBGGRR; -1 outside it.
std::int32_t ColourAt(const Captured &capture, int column, int row);

// The region whose capture shows which way regions are turned: on an output turned sideways, a quarter of
// it lies in a different corner of the output's buffer each way.
Box TurnCheckRegion(const OutputShape &output);

// Which way the compositor turned `check`'s region: the way whose box of `whole`, a capture of the whole
// output, shows the same pixels. Nothing when both ways do (a screen of one colour tells nothing), when
// neither does (a region that comes back in a size that fits neither way), and when the output changed its
// shape between the two.
std::optional<RegionTurn> TurnSeen(const Captured &check, const Captured &whole);

} // namespace Screen
