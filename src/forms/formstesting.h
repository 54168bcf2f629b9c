// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

class QString;

// What tests set in the forms stand-in to see and stand in for what a person or the system would do.
namespace Forms {

// Tests see messages without a person closing them: while a hook is set, it gets the text instead of a box.
using MessageHook = std::function<void(const QString &text)>;
void SetMessageHook(MessageHook hook);

// Gives the instance lock back early, so that the next case starts as a first copy.
void ReleaseInstanceLock();

} // namespace Forms
