// SPDX-License-Identifier: MIT
#pragma once

#include "twips.h"

#include <QFont>
#include <QString>

namespace Forms {

// A control as the layouts have it: named as there (tests and scripts find it by that name) and placed in
// twips, relative to its parent. Returned as given, to be kept or set up further.
template <typename Control> Control *Placed(Control *control, const QString &name, const Twips::Place &place)
{
    control->setObjectName(name);
    control->setGeometry(ToPixels(place));
    return control;
}

// The same, in the given font.
template <typename Control>
Control *Placed(Control *control, const QString &name, const Twips::Place &place, const QFont &font)
{
    Placed(control, name, place)->setFont(font);
    return control;
}

} // namespace Forms
