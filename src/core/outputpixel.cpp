// SPDX-License-Identifier: MIT
#include "outputpixel.h"

#include <algorithm>
#include <cmath>

namespace Screen {

namespace {

    constexpr int Rotated = 1, Flipped = 4; // bits of a wl_output transform
    // Logical units of a region, each way: four hold the pixel at any scale from 1/2 to 3 wherever a cut
    // falls.
    constexpr int Span = 4;

    bool turnsSideways(int transform)
    {
        return (transform & Rotated) != 0;
    }

    // The transform that undoes `transform`: a rotation by 90 or 270 degrees undoes the other; every other
    // transform undoes itself.
    int inverse(int transform)
    {
        return turnsSideways(transform) && (transform & Flipped) == 0 ? transform ^ 2 : transform;
    }

    // `box`, in a space `width` x `height`, in the same space turned by `transform`.
    Box turned(const Box &box, int transform, int width, int height)
    {
        const int right = width - box.x - box.width, bottom = height - box.y - box.height;
        Box out { 0, 0, box.width, box.height };
        if (turnsSideways(transform))
            std::swap(out.width, out.height);
        switch (transform & 7) {
        case 0:
            out.x = box.x, out.y = box.y;
            break;
        case 1:
            out.x = bottom, out.y = box.x;
            break;
        case 2:
            out.x = right, out.y = bottom;
            break;
        case 3:
            out.x = box.y, out.y = right;
            break;
        case 4:
            out.x = right, out.y = box.y;
            break;
        case 5:
            out.x = box.y, out.y = box.x;
            break;
        case 6:
            out.x = box.x, out.y = bottom;
            break;
        case 7:
            out.x = bottom, out.y = right;
            break;
        }
        return out;
    }

    // The logical size that a compositor derives from `physical` at `scale`: float arithmetic, cut.
    int logical(int physical, float scale)
    {
        return int(float(physical) / scale);
    }
    int scaled(int length, float scale)
    {
        return int(float(length) * scale);
    }

    struct Sizes {
        int width, height; // physical, in the layout's orientation
    };
    Sizes upright(const OutputShape &output)
    {
        return turnsSideways(output.transform) ? Sizes { output.height, output.width }
                                               : Sizes { output.width, output.height };
    }

} // namespace

float OutputScale(const OutputShape &output)
{
    const auto [width, height] = upright(output);
    if (width <= 0 || height <= 0 || output.logicalWidth <= 0 || output.logicalHeight <= 0)
        return 0;
    // Users set scales in small steps (wlroots later holds them in 120ths); the first fraction, by its
    // denominator, that gives both logical sizes back is the one set.
    const auto fits = [&](float scale) {
        return logical(width, scale) == output.logicalWidth && logical(height, scale) == output.logicalHeight;
    };
    for (int denominator = 1; denominator <= 120; ++denominator) {
        const auto low = int(std::floor(double(width) * denominator / (output.logicalWidth + 1)));
        const auto high = int(std::ceil(double(width) * denominator / output.logicalWidth));
        for (int numerator = std::max(low, 1); numerator <= high; ++numerator) {
            const float scale = float(numerator) / float(denominator);
            if (fits(scale))
                return scale;
        }
    }
    return float(width) / float(output.logicalWidth);
}

Box CapturedBox(const OutputShape &output, const Box &region, RegionTurn turn)
{
    const float scale = OutputScale(output);
    const Box box = turned(region, turn == RegionTurn::Back ? inverse(output.transform) : output.transform,
        output.logicalWidth, output.logicalHeight);
    return { scaled(box.x, scale), scaled(box.y, scale), scaled(box.width, scale),
        scaled(box.height, scale) };
}

Box PixelUnder(const OutputShape &output, std::int32_t x, std::int32_t y)
{
    // A physical pixel covers 1/scale of a logical unit, and the one that holds the hot spot is found from
    // its exact place, not from the logical unit it is in.
    const float scale = OutputScale(output);
    const auto [width, height] = upright(output);
    const auto physical = [scale](std::int32_t fixed, int size) {
        return std::clamp(int(std::floor(double(fixed) / 256.0 * double(scale))), 0, size - 1);
    };
    return { physical(x, width), physical(y, height), width, height };
}

bool TurnMatters(const OutputShape &output)
{
    return inverse(output.transform) != output.transform;
}

PixelCapture CapturePixelUnder(
    const OutputShape &output, std::int32_t x, std::int32_t y, std::optional<RegionTurn> turn, int radius)
{
    const float scale = OutputScale(output);
    if (scale <= 0)
        return {};
    const Box seen = PixelUnder(output, x, y);
    const Box pixel = turned({ seen.x, seen.y, 1, 1 }, inverse(output.transform), seen.width, seen.height);
    // The square around it, in the buffer's orientation (a turn keeps it square), cut at the output's edges.
    const int firstColumn = std::max(pixel.x - radius, 0),
              lastColumn = std::min(pixel.x + radius, output.width - 1);
    const int firstRow = std::max(pixel.y - radius, 0),
              lastRow = std::min(pixel.y + radius, output.height - 1);

    // A few logical units around it, in the buffer's orientation, chosen so that their physical box holds
    // it; the region to ask for is that box turned back the way the compositor will turn it.
    const bool sideways = turnsSideways(output.transform);
    const int bufferLogicalWidth = sideways ? output.logicalHeight : output.logicalWidth;
    const int bufferLogicalHeight = sideways ? output.logicalWidth : output.logicalHeight;
    const auto around = [scale](int first, int last, int size) {
        const int from = int(float(first) / scale) - 1;
        const int span = std::min(std::max(Span, int(float(last) / scale) - from + 3), size);
        return std::pair { std::clamp(from, 0, size - span), span };
    };
    const auto [left, columns] = around(firstColumn, lastColumn, bufferLogicalWidth);
    const auto [top, rows] = around(firstRow, lastRow, bufferLogicalHeight);
    const Box near { left, top, columns, rows };
    const Box physicalNear { scaled(near.x, scale), scaled(near.y, scale), scaled(near.width, scale),
        scaled(near.height, scale) };
    const bool holds = firstColumn >= physicalNear.x && lastColumn < physicalNear.x + physicalNear.width
        && firstRow >= physicalNear.y && lastRow < physicalNear.y + physicalNear.height;
    if (!holds || !turn)
        return { {}, output.width, output.height, 0, 0, pixel.x, pixel.y };
    const int forward = *turn == RegionTurn::Back ? output.transform : inverse(output.transform);
    return { turned(near, forward, bufferLogicalWidth, bufferLogicalHeight), physicalNear.width,
        physicalNear.height, physicalNear.x, physicalNear.y, pixel.x - physicalNear.x,
        pixel.y - physicalNear.y };
}

std::optional<std::pair<int, int>> PixelBeside(
    const OutputShape &output, const PixelCapture &plan, int dx, int dy)
{
    const auto [width, height] = upright(output);
    const Box seen = turned({ plan.left + plan.column, plan.top + plan.row, 1, 1 }, output.transform,
        output.width, output.height);
    const int x = seen.x + dx, y = seen.y + dy;
    if (x < 0 || y < 0 || x >= width || y >= height)
        return std::nullopt;
    const Box held = turned({ x, y, 1, 1 }, inverse(output.transform), width, height);
    return std::pair { held.x - plan.left, held.y - plan.top };
}

std::int32_t ColourAt(const Captured &capture, int column, int row)
{
    if (capture.data == nullptr || column < 0 || row < 0 || column >= capture.width || row >= capture.height)
        return -1;
    const int line = capture.yInverted ? capture.height - 1 - row : row;
    const std::size_t offset = std::size_t(line) * std::size_t(capture.stride) + std::size_t(column) * 4;
    if (offset + 4 > capture.size)
        return -1;
    return ToScreenColor(capture.data + offset, 4, capture.format);
}

Box TurnCheckRegion(const OutputShape &output)
{
    return { 0, 0, output.logicalWidth / 2, output.logicalHeight / 2 };
}

std::optional<RegionTurn> TurnSeen(const Captured &check, const Captured &whole)
{
    // Captured while the output had another shape, the whole output shows another picture: turned by 180
    // degrees in between, each way's box shows what the other's would have, and the wrong way is learnt.
    if (check.shape != whole.shape)
        return {};
    const auto shows = [&](const Box &box) {
        if (box.width != check.width || box.height != check.height)
            return false;
        for (int row = 0; row < box.height; ++row) {
            for (int column = 0; column < box.width; ++column) {
                if (ColourAt(check, column, row) != ColourAt(whole, box.x + column, box.y + row))
                    return false;
            }
        }
        return true;
    };
    const bool back = shows(CapturedBox(check.shape, check.region, RegionTurn::Back));
    const bool forward = shows(CapturedBox(check.shape, check.region, RegionTurn::Forward));
    if (back == forward)
        return {};
    return back ? RegionTurn::Back : RegionTurn::Forward;
}

} // namespace Screen
