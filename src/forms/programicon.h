// SPDX-License-Identifier: MIT
#pragma once

class QIcon;
class QImage;

namespace Forms {

// The program icon: fifteen two-pixel stripes in a one-pixel black frame, 32 x 32.
QImage ProgramIconImage();
QIcon ProgramIcon();

} // namespace Forms
