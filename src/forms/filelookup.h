// SPDX-License-Identifier: MIT
#pragma once

class QString;

namespace Forms {

// File lookup by name (wildcards allowed) in the current directory, with the attribute mask 0: plain,
// readable files only, never a directory or a hidden (dot) file. The first matching name, or empty.
QString Dir(const QString &pattern);

} // namespace Forms
