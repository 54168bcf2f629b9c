// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace Twips {

// Where a box of `boxExtent` goes so that it is centred on a window at `mainOrigin` of `mainExtent`,
// all in twips: worked in single precision, rounded half to even, and held in 16 bits. A centre beyond
// what 16 bits hold is clamped to -32768..32767, which keeps the box as near as it can be.
std::int16_t CentredOrigin(float mainExtent, float mainOrigin, float boxExtent);

} // namespace Twips
