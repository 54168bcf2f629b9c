// SPDX-License-Identifier: MIT
#include "fontpreload.h"

namespace Forms {

// Windows keeps its fonts' configuration in the system, ready before the program starts.
FontPreload::FontPreload() = default;
FontPreload::~FontPreload() = default;
void FontPreload::Wait() { }

} // namespace Forms
