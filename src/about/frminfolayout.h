// SPDX-License-Identifier: MIT
#pragma once

#include "twips.h"

#include <QColor>

// Where everything of the About box sits, in twips, relative to its client area.
namespace FrmInfoLayout {

using Twips::Place;

inline constexpr int ClientWidth = 4995;
inline constexpr int ClientHeight = 1980;

inline constexpr Place Label1 { 45, 180, 4920, 285 };
inline constexpr Place Label2 { 225, 675, 2715, 195 };
inline constexpr Place Label6 { 225, 945, 600, 195 };
inline constexpr Place LblUrl { 1170, 945, 3615, 195 };
inline constexpr Place Label7 { 225, 1260, 2580, 195 };
inline constexpr Place CmdOK { 1935, 1575, 1050, 330 };

inline constexpr qreal TitleSize = 14.25;
inline constexpr qreal TextSize = 9.75;
inline constexpr QColor TextColor { 224, 224, 224 };
inline constexpr QColor LinkColor { 192, 192, 255 };

// The gradient's bands are laid out as if the client area were this many units high.
inline constexpr int GradientUnits = 512;
inline constexpr QPoint LinkHotSpot { 12, 1 };

} // namespace FrmInfoLayout
