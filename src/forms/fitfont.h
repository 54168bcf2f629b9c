// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>

class QWidget;

namespace Forms {

// The places and sizes are fixed, the faces that stand in for the typeface are not: shrinks a label's,
// button's, option's or frame's font a pixel at a time until the widest of `texts` (its own caption when
// none are given) is shown whole in it.
void FitFont(QWidget *control, const QStringList &texts = {});

// How much larger than its room a control's caption is (a frame's: its title); 1 or less when it fits.
qreal Overflow(const QWidget *control);

} // namespace Forms
