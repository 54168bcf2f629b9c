// SPDX-License-Identifier: MIT
#pragma once

#include "wlrdisplay.h"

#include <cstdint>
#include <memory>

namespace Module1 {

// The loupe as a surface of the compositor's, over the overlays of one output: drawn in that output's
// physical pixels, so that each block is sharp at any scale, and taking no input, so that the pointer and
// the click stay the overlays'. Where the compositor cannot show a buffer in physical pixels (no viewporter),
// there is none.
class LoupeSurface {
public:
    explicit LoupeSurface(WlrDisplay &display);
    ~LoupeSurface();
    LoupeSurface(const LoupeSurface &) = delete;
    LoupeSurface &operator=(const LoupeSurface &) = delete;

    bool offered() const;
    // Shows `image`, `side` physical pixels square (XRGB8888, row by row), at (x, y) of `output`, in its
    // physical pixels as the user sees them; nothing is sent again while all of that stays the same.
    void show(WlrDisplay::Output &output, const std::uint32_t *image, int side, int x, int y);
    void hide();
    void forget(const WlrDisplay::Output &output); // the output is going
    // Whether the output it was shown on went away since it was last hidden.
    bool gone() const { return m_gone; }

private:
    struct Shown;
    struct Listen;

    WlrDisplay &m_display;
    std::unique_ptr<Shown> m_shown;
    bool m_gone = false;
};

} // namespace Module1
