// SPDX-License-Identifier: MIT
#pragma once

#include "twips.h"

#include <array>

// Where everything of the main window sits, in twips. Controls inside a frame are placed relative to the
// frame; every other one relative to the client area (below the menu bar).
namespace FrmMainLayout {

using Twips::Place;

inline constexpr int ClientWidth = 8520;
inline constexpr int ClientHeight = 5025;

inline constexpr std::array<Place, 3> Label1
    = { { { 90, 405, 825, 330 }, { 90, 990, 825, 330 }, { 90, 1575, 825, 330 } } };
inline constexpr std::array<Place, 3> HScroll
    = { { { 855, 360, 6180, 330 }, { 855, 945, 6180, 330 }, { 855, 1530, 6180, 330 } } };
inline constexpr std::array<Place, 3> LblDecimal
    = { { { 7110, 360, 735, 330 }, { 7110, 945, 735, 330 }, { 7110, 1530, 735, 330 } } };
inline constexpr std::array<Place, 3> LblHex
    = { { { 8010, 360, 510, 330 }, { 8010, 945, 510, 330 }, { 8010, 1530, 510, 330 } } };

inline constexpr Place Frame1 { 405, 2160, 4695, 1905 };
inline constexpr Place Option1 { 270, 495, 3615, 330 };
inline constexpr Place Option2 { 270, 1035, 4335, 330 };
inline constexpr Place Label2 { 675, 1485, 1320, 285 };
inline constexpr Place LblCurposition { 2115, 1485, 2445, 285 };

inline constexpr Place LblGetcolor { 5310, 2295, 3030, 1320 };
inline constexpr Place LblColorcode { 5310, 3690, 3030, 375 };

inline constexpr Place Frame2 { 405, 4095, 4695, 780 };
inline constexpr Place ChkFonttag { 270, 270, 4065, 465 };

inline constexpr Place CmdCopy { 5355, 4320, 1245, 465 };
inline constexpr Place Capture1 { 6570, 4275, 510, 510 };
inline constexpr Place CmdQuit { 7110, 4320, 1245, 465 };

inline constexpr qreal FontSize = 12.0;
inline constexpr qreal CodeFontSize = 14.25;

inline constexpr int TimerInterval = 10; // milliseconds

} // namespace FrmMainLayout
