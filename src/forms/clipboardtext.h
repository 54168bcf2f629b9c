// SPDX-License-Identifier: MIT
#pragma once

class QString;

namespace Forms {

// The clipboard's plain-text slot. ClipboardSetText reports whether the text reads back.
void ClipboardClear();
bool ClipboardSetText(const QString &text);

} // namespace Forms
