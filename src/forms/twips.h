// SPDX-License-Identifier: MIT
#pragma once

#include "twipsunits.h"

#include <QRect>

namespace Forms {

// A place as the rectangle a widget is given, in logical pixels.
constexpr QRect ToPixels(const Twips::Place &p)
{
    return { Twips::Pixels(p.left), Twips::Pixels(p.top), Twips::Pixels(p.width), Twips::Pixels(p.height) };
}

} // namespace Forms
