// SPDX-License-Identifier: MIT
#include "centring.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <limits>

namespace Twips {

std::int16_t CentredOrigin(float mainExtent, float mainOrigin, float boxExtent)
{
    const float centred = mainExtent / 2 + mainOrigin - boxExtent / 2;
    // nearbyint rounds in the current mode, which is to nearest with halves to even unless changed.
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const float rounded = std::nearbyint(centred);
    std::fesetround(previous);
    if (std::isnan(rounded))
        return 0;
    constexpr float Low = std::numeric_limits<std::int16_t>::min();
    constexpr float High = std::numeric_limits<std::int16_t>::max();
    return static_cast<std::int16_t>(std::clamp(rounded, Low, High));
}

} // namespace Twips
