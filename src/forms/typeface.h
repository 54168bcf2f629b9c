// SPDX-License-Identifier: MIT
#pragma once

#include <QtGlobal>

class QFont;

namespace Forms {

// "ＭＳ Ｐゴシック" bold at the given size, with Japanese substitutes where it is missing: the faces
// Windows ships, then those of free desktops.
QFont Typeface(qreal pointSize);

} // namespace Forms
