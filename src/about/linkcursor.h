// SPDX-License-Identifier: MIT
#pragma once

class QImage;

// The About box's link pointer: a white hand pointing up, its fingertip the hot spot. Drawn here rather than
// taken from the style, so that it looks the same on every desktop.
QImage LinkCursorImage();
