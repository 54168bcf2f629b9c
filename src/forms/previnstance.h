// SPDX-License-Identifier: MIT
#pragma once

class QString;

namespace Forms {

// True when another copy of Zumeko already runs for this user on this display. The first call that finds
// none takes the lock in `folder` (a folder of this user's alone; empty: the local application data) and
// holds it until the process ends; a copy that died leaves no lock that counts. A folder that cannot be
// used never blocks the start.
bool PrevInstance(const QString &folder, const QString &display);

} // namespace Forms
