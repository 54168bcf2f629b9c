// SPDX-License-Identifier: MIT
#pragma once

#include "capturepace.h"
#include "module1.h"
#include "outputpixel.h"
#include "shmbuffer.h"
#include "wlrdisplay.h"

#include <QElapsedTimer>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace Module1 {

class Overlays;

// Reads the pixel under the pointer with screencopy: a small region around it, or the whole output where no
// region is known to reach it. One capture at a time, each on the output's next frame; the buffers of those
// done serve the next ones. Which way this compositor turns regions on an output turned sideways is learnt
// from one check region compared with the whole output captured just before; until then such outputs are
// read whole.
class PixelReader {
public:
    PixelReader(WlrDisplay &display, const Overlays &overlays);
    ~PixelReader();
    PixelReader(const PixelReader &) = delete;
    PixelReader &operator=(const PixelReader &) = delete;

    // Looks under the pointer: at once when it has moved to another pixel (a capture for the one it left is
    // taken back), and again at the tick's pace while it stays.
    void capture();
    // Takes back what is asked of an output that is going.
    void forget(const WlrDisplay::Output &output);
    // The colour of the latest capture, 0x00BBGGRR; NoColor before the first.
    std::int32_t sample() const { return m_sample; }
    // From the next capture on, the pixels `radius` each way around that one too (0: that one alone).
    void readAround(int radius) { m_radius = radius; }
    // The latest capture's pixels `across` square around the pointer's, as the user sees them, row by row:
    // NoColor beyond the output, and beyond what the latest capture read while the square was smaller.
    std::vector<std::int32_t> square(int across) const;

private:
    struct Capture;
    struct Listen;

    std::unique_ptr<Capture> ask(WlrDisplay::Output &output, const Screen::PixelCapture &plan, bool check);
    void done(std::unique_ptr<Capture> finished);
    void compare();

    WlrDisplay &m_display;
    const Overlays &m_overlays;
    CapturePace m_pace { [this] { capture(); } };
    // The one capture of the pixel under the pointer in flight.
    std::unique_ptr<Capture> m_sampling;
    std::int32_t m_sample = NoColor;
    int m_radius = 0;
    std::vector<std::int32_t> m_square; // the latest capture's, m_squareRadius each way
    int m_squareRadius = 0;
    std::vector<std::unique_ptr<Wl::ShmBuffer>> m_spare; // buffers of captures that are done
    std::optional<Screen::RegionTurn> m_turn;
    std::unique_ptr<Capture> m_checking;
    std::unique_ptr<Capture> m_whole; // the latest whole capture, while the way is not known
    QElapsedTimer m_sinceCheck;
};

} // namespace Module1
