// SPDX-License-Identifier: MIT
#pragma once

#include "module1.h"

#include <cstdint>

namespace Module1 {

// The keys the loupe answers while it is open.
enum class LoupeKey { Left, Right, Up, Down, Escape };

// What a platform's pointer grab reports to the capture control that asked for it.
class GrabClient {
public:
    virtual void pointerMoved(Handle pointed) = 0; // the window under the pointer, the desktop over none
    virtual void pointerPressed(Handle pressed) = 0; // the click that fixes the colour; no window gets it
    virtual void screenUnreadable() = 0; // this desktop lets no program read the screen
    virtual void pointerWheel(int) { } // notches the wheel was turned, away from the user when positive
    virtual void keyPressed(LoupeKey, bool) { } // a key of the loupe's, and whether Shift was down

protected:
    ~GrabClient() = default;
};

// The platform's means to have every pointer move and the next press anywhere on the screen.
class PointerGrab {
public:
    virtual ~PointerGrab() = default;
    // Takes the pointer; asked again while held it confirms the grab, or takes it back where it was lost.
    virtual void take() = 0;
    // Lets it go for now, so that a box of ours can be used. A press already taken keeps it until its
    // release.
    virtual void release() = 0;
    // The capture is over: nothing it was waiting for counts any more.
    virtual void end() { release(); }
    // While the loupe is open the keyboard too: its keys are reported (keyPressed), and Enter is taken as
    // the click. False where the desktop lets no program have the keyboard.
    virtual bool holdKeys(bool) { return false; }
    // Moves the pointer by whole screen pixels, where the desktop lets a program move it.
    virtual void movePointer(int, int) { }
    // Where the grab shows the loupe itself, on a screen that Qt does not see as it is (a compositor's
    // outputs, behind its X bridge): the scale of the output under the pointer, which sets how many pixels
    // the loupe reads. 0 where a window of Qt's shows it.
    virtual double loupeScale() const { return 0; }
    // Shows the loupe's image (XRGB8888, `side` pixels square) beside the pointer; false when the output
    // that showed it went away.
    virtual bool showLoupe(const std::uint32_t *, int) { return true; }
    virtual void hideLoupe() { }
};

} // namespace Module1
