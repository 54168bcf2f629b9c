// SPDX-License-Identifier: MIT
#include "doevents.h"

#include <QCoreApplication>

namespace Forms {

void DoEvents()
{
    QCoreApplication::processEvents();
}

} // namespace Forms
