// SPDX-License-Identifier: MIT
#pragma once

class QWidget;

namespace Forms {

// Centres a top-level window on its screen's free area, as the user sees it: frame and title bar included.
// The window manager's frame is known only once it has framed the window, so the window is centred again
// then, once.
void CentreOnScreen(QWidget *window);

} // namespace Forms
