// SPDX-License-Identifier: MIT
// zumeko-probe: checks the Windows backend against a real screen.
// zumeko-probe window X Y RRGGBB: only shows the probe's window of that colour there, as another Windows
// application for Zumeko to pick from; it says "ready", then "press" for every press that reaches it. It
// places the pointer, puts a window of a known colour under it, and reads both back through the very Module1
// sampling steps the program's tick runs. Each failure gets a line of its own; the last line is always
// "probe: N passed, M failed", and the exit status is 0 only when nothing failed.
#include "colorcode.h"
#include "module1.h"
#include "pointerwindow.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_set>

namespace {

constexpr int Ticks = 1000;
// A context that goes back is handed out again, so a sampling loop that releases as it should sees a
// handful of handles at most; one that leaks sees a new handle every tick. Counting them catches a leak
// that the backend's own tally would not, such as a release that is counted but never made.
constexpr std::size_t MostDistinctContexts = 16;

// Where the pointer goes and the colour put under it: every channel differs, so a swap shows.
constexpr std::int32_t X = 300, Y = 200;
constexpr std::int32_t Color = colorcode::ScreenColor(0xFF, 0x80, 0x20);
constexpr char Code[] = "#FF8020";

std::string hex32(std::int32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return value == Module1::NoColor ? std::string("-1") : std::string(text);
}

// The code texts are ASCII; anything else is shown escaped, so that a wrong character stays visible.
std::string printable(const std::u16string &text)
{
    std::string out;
    for (const char16_t c : text) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(c));
            out += escaped;
        }
    }
    return out;
}

std::string point(std::int32_t x, std::int32_t y)
{
    return '(' + std::to_string(x) + ", " + std::to_string(y) + ')';
}

class Tally {
public:
    void check(bool ok, const std::string &what)
    {
        if (ok) {
            ++m_passed;
        } else {
            ++m_failed;
            std::printf("FAIL: %s\n", what.c_str());
        }
    }
    int finish() const
    {
        std::printf("probe: %d passed, %d failed\n", m_passed, m_failed);
        return m_failed == 0 ? 0 : 1;
    }

private:
    int m_passed = 0;
    int m_failed = 0;
};

} // namespace

int main(int argc, char **argv)
{
    using namespace Module1;
    if (argc == 5 && std::string_view(argv[1]) == "window") {
        const auto rgb = static_cast<std::int32_t>(std::strtoul(argv[4], nullptr, 16));
        const PointerWindow window(
            std::atoi(argv[2]), std::atoi(argv[3]), colorcode::ScreenColor(rgb >> 16, rgb >> 8, rgb));
        int rounds = 0;
        window.pumpUntil([&rounds] { return ++rounds > 20; }); // painted by now
        std::puts("ready");
        std::fflush(stdout);
        window.serve();
        return 0;
    }
    Tally tally;
    Platform platform(LoadPlatform());
    Services &services = platform.services();
    const std::string reason = services.unavailableReason();
    tally.check(reason.empty(), "the platform services are unavailable: " + reason);
    tally.check(PlacePointer(X, Y), "SetCursorPos" + point(X, Y) + " failed");

    const Handle desktop = platform.StoreDesktopWindow();
    tally.check(desktop != 0, "GetDesktopWindow returned 0");

    const PointerWindow window(X, Y, Color);
    tally.check(window.top() != 0, "no window could be made under the pointer");

    // One tick of screen mode, through the program's own steps, once the window has painted.
    std::int32_t color = NoColor;
    window.pumpUntil([&] {
        if (platform.ReadMousePos() == 0)
            return false;
        color = platform.SampleAtMousePos();
        return color == Color;
    });
    tally.check(platform.MousePos.x == X && platform.MousePos.y == Y,
        "GetCursorPos gave the pointer at " + point(platform.MousePos.x, platform.MousePos.y) + ", expected "
            + point(X, Y));
    tally.check(color == Color,
        "the pixel at the pointer is " + hex32(color) + ", expected " + hex32(Color) + " (0x00BBGGRR for "
            + Code + ")");
    const std::string code
        = printable(colorcode::ColorcodeFromScreenColor(static_cast<std::uint32_t>(color)));
    tally.check(
        code == Code, "the colour code of the pixel at the pointer is " + code + ", expected " + Code);
    tally.check(ToHandle(platform.hDCDesk) != 0 && services.liveContexts() == 1,
        "after one sample, " + std::to_string(services.liveContexts()) + " contexts are held, expected 1");
    for (const auto &[x, y] : { CursorPoint { -1, -1 }, CursorPoint { 100000, 100000 } }) {
        const std::int32_t outside = platform.GetPixel(ToHandle(platform.hDCDesk), x, y);
        tally.check(outside == NoColor,
            "GetPixel off the screen at " + point(x, y) + " gave " + hex32(outside) + ", expected -1");
    }

    // Sampling runs every 10 ms for as long as the user likes: each tick gives back the previous tick's
    // context before it takes a new one, and closing the window gives back the last.
    int noPointer = 0, wrongColors = 0, heldTooMany = 0;
    std::int32_t firstWrong = 0;
    std::unordered_set<Handle> contexts;
    for (int tick = 0; tick < Ticks; ++tick) {
        if (platform.ReadMousePos() == 0) {
            ++noPointer;
            continue;
        }
        const std::int32_t sampled = platform.SampleAtMousePos();
        contexts.insert(ToHandle(platform.hDCDesk));
        if (sampled != Color && wrongColors++ == 0)
            firstWrong = sampled;
        if (services.liveContexts() != 1)
            ++heldTooMany;
    }
    const std::string ticks = " in " + std::to_string(Ticks) + " ticks";
    tally.check(noPointer == 0, "GetCursorPos returned 0 " + std::to_string(noPointer) + " times" + ticks);
    tally.check(wrongColors == 0,
        "the pixel was other than " + hex32(Color) + " " + std::to_string(wrongColors) + " times" + ticks
            + " (first " + hex32(firstWrong) + ")");
    tally.check(contexts.size() <= MostDistinctContexts && !contexts.contains(0),
        std::to_string(contexts.size()) + " different contexts (0 among them: "
            + (contexts.contains(0) ? "yes" : "no") + ") were handed out" + ticks + ", expected at most "
            + std::to_string(MostDistinctContexts) + ": released contexts are not coming back");
    tally.check(heldTooMany == 0,
        "other than one desktop context was held after " + std::to_string(heldTooMany) + " of "
            + std::to_string(Ticks) + " ticks");
    platform.ReleaseDesktopDC();
    tally.check(services.liveContexts() == 0,
        "after the last release, liveContexts() is " + std::to_string(services.liveContexts())
            + ", expected 0");
    return tally.finish();
}
