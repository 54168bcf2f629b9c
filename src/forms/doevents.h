// SPDX-License-Identifier: MIT
#pragma once

namespace Forms {

// Handles the window events that are already queued, then returns.
void DoEvents();

} // namespace Forms
