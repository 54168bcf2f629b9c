// SPDX-License-Identifier: MIT
#pragma once

#include "twipsunits.h"

#include <QRect>

namespace Forms {

// A place as the rectangle a widget is given, in logical pixels.
constexpr QRect ToPixels(const Place &p)
{
    return { Pixels(p.left), Pixels(p.top), Pixels(p.width), Pixels(p.height) };
}

} // namespace Forms
