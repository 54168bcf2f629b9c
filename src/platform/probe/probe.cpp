// SPDX-License-Identifier: MIT
// zumeko-probe EXPECTED_X EXPECTED_Y EXPECTED_RRGGBB
//
// Reads the real screen through the Module1 calls, in the order and with the shared variables the
// program itself uses, and compares what comes back with what the caller arranged beforehand: where the
// pointer is and the colour under it. Each failure gets a line of its own; the last line is always
// "probe: N passed, M failed", and the exit status is 0 only when nothing failed (2 for bad arguments).
#include "colorcode.h"
#include "module1.h"
#include "pointerwindow.h"

#include <cctype>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_set>

namespace {

constexpr int Ticks = 1000;
// A context that goes back is handed out again, so a sampling loop that releases as it should sees a
// handful of handles at most; one that leaks sees a new handle every tick. Counting them catches a leak
// that the backend's own tally would not, such as a release that is counted but never made.
constexpr std::size_t MostDistinctContexts = 16;

struct Expected {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t screenColor = 0; // 0x00BBGGRR
    std::string code; // "#RRGGBB", upper case
};

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

bool parseInt(std::string_view text, std::int32_t &value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

bool parseExpected(int argc, char **argv, Expected &expected)
{
    if (argc != 4 || !parseInt(argv[1], expected.x) || !parseInt(argv[2], expected.y))
        return false;
    std::string_view rgb = argv[3];
    if (!rgb.empty() && rgb.front() == '#')
        rgb.remove_prefix(1);
    if (rgb.size() != 6)
        return false;
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(rgb.data(), rgb.data() + rgb.size(), value, 16);
    if (error != std::errc() || end != rgb.data() + rgb.size())
        return false;
    const std::uint32_t r = value >> 16, g = (value >> 8) & 0xFFu, b = value & 0xFFu;
    expected.screenColor = static_cast<std::int32_t>(r | (g << 8) | (b << 16));
    expected.code = "#";
    for (const char c : rgb)
        expected.code += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return true;
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
    Expected expected;
    if (!parseExpected(argc, argv, expected)) {
        std::fprintf(stderr,
            "usage: zumeko-probe EXPECTED_X EXPECTED_Y EXPECTED_RRGGBB (for example 300 200 FF8000)\n");
        return 2;
    }

    using namespace Module1;
    Tally tally;
    Services &services = CurrentServices();
    const std::string reason = services.unavailableReason();
    tally.check(reason.empty(), "the platform services are unavailable: " + reason);

    // What one tick of screen mode does, once.
    const int read = GetCursorPos(MousePos);
    tally.check(read != 0, "GetCursorPos returned 0: the pointer cannot be read");
    tally.check(MousePos.x == expected.x && MousePos.y == expected.y,
        "GetCursorPos gave the pointer at " + point(MousePos.x, MousePos.y) + ", expected "
            + point(expected.x, expected.y));

    hWndDesk = GetDesktopWindow();
    const Handle desktop = ToHandle(hWndDesk);
    tally.check(desktop != 0, "GetDesktopWindow returned 0");

    hDCDesk = GetWindowDC(desktop);
    tally.check(ToHandle(hDCDesk) != 0, "GetWindowDC(desktop) returned 0");
    tally.check(services.liveContexts() == 1,
        "with one desktop context held, liveContexts() is " + std::to_string(services.liveContexts())
            + ", expected 1");

    const std::int32_t color = GetPixel(ToHandle(hDCDesk), MousePos.x, MousePos.y);
    tally.check(color == expected.screenColor,
        "GetPixel at the pointer gave " + hex32(color) + ", expected " + hex32(expected.screenColor)
            + " (0x00BBGGRR for " + expected.code + ")");
    const std::string code
        = printable(colorcode::ColorcodeFromScreenColor(static_cast<std::uint32_t>(color)));
    tally.check(code == expected.code,
        "the colour code of the pixel at the pointer is " + code + ", expected " + expected.code);

    for (const auto &[x, y] : { CursorPoint { -1, -1 }, CursorPoint { 100000, 100000 } }) {
        const std::int32_t outside = GetPixel(ToHandle(hDCDesk), x, y);
        tally.check(outside == NoColor,
            "GetPixel off the screen at " + point(x, y) + " gave " + hex32(outside) + ", expected -1");
    }

    const int released = ReleaseDC(desktop, ToHandle(hDCDesk));
    tally.check(released != 0, "ReleaseDC(desktop, hDCDesk) returned 0");
    tally.check(services.liveContexts() == 0,
        "after ReleaseDC, liveContexts() is " + std::to_string(services.liveContexts()) + ", expected 0");
    hDCDesk.reset(); // already given back: the first tick below must not give it back again

    // Sampling runs every 10 ms for as long as the user likes: each tick gives back the previous tick's
    // context before it takes a new one, and closing the window gives back the last.
    int noPointer = 0, noContext = 0, failedReleases = 0, wrongColors = 0, heldTooMany = 0;
    std::int32_t firstWrong = 0;
    std::unordered_set<Handle> contexts;
    for (int tick = 0; tick < Ticks; ++tick) {
        if (GetCursorPos(MousePos) == 0) {
            ++noPointer;
            continue;
        }
        hWndDesk = GetDesktopWindow();
        const Handle window = ToHandle(hWndDesk);
        if (ToHandle(hDCDesk) != 0 && ReleaseDC(window, ToHandle(hDCDesk)) == 0)
            ++failedReleases;
        hDCDesk = GetWindowDC(window);
        if (ToHandle(hDCDesk) == 0)
            ++noContext;
        else
            contexts.insert(ToHandle(hDCDesk));
        const std::int32_t sampled = GetPixel(ToHandle(hDCDesk), MousePos.x, MousePos.y);
        if (sampled != expected.screenColor && wrongColors++ == 0)
            firstWrong = sampled;
        if (services.liveContexts() > 1)
            ++heldTooMany;
    }
    const std::string ticks = " in " + std::to_string(Ticks) + " ticks";
    tally.check(noPointer == 0, "GetCursorPos returned 0 " + std::to_string(noPointer) + " times" + ticks);
    tally.check(noContext == 0, "GetWindowDC returned 0 " + std::to_string(noContext) + " times" + ticks);
    tally.check(
        failedReleases == 0, "ReleaseDC returned 0 " + std::to_string(failedReleases) + " times" + ticks);
    tally.check(wrongColors == 0,
        "GetPixel gave a colour other than " + hex32(expected.screenColor) + " " + std::to_string(wrongColors)
            + " times" + ticks + " (first " + hex32(firstWrong) + ")");
    tally.check(contexts.size() <= MostDistinctContexts,
        std::to_string(contexts.size()) + " different contexts were handed out" + ticks
            + ", expected at most " + std::to_string(MostDistinctContexts)
            + ": released contexts are not coming back");
    tally.check(heldTooMany == 0,
        "more than one desktop context was held after " + std::to_string(heldTooMany) + " of "
            + std::to_string(Ticks) + " ticks");

    tally.check(
        ReleaseDC(ToHandle(hWndDesk), ToHandle(hDCDesk)) != 0, "the last tick's ReleaseDC returned 0");
    tally.check(services.liveContexts() == 0,
        "after " + std::to_string(Ticks) + " ticks and the last release, liveContexts() is "
            + std::to_string(services.liveContexts()) + ", expected 0");

    // The capture control asks which application window the pointer is over and starts only over the
    // desktop or over Zumeko's own window, so the bare screen must read as the desktop window itself and a
    // child control as the top-level window that holds it.
    const Handle bare = services.pointedWindow();
    tally.check(bare == desktop,
        "over the bare screen, pointedWindow() gave " + std::to_string(bare)
            + ", expected the desktop window " + std::to_string(desktop));
    {
        const PointerWindow window(MousePos.x, MousePos.y);
        tally.check(window.top() != 0 && window.child() != 0, "no window could be made under the pointer");
        const Handle pointed = services.pointedWindow();
        tally.check(pointed == window.top(),
            "over a child window, pointedWindow() gave " + std::to_string(pointed)
                + ", expected its top-level window " + std::to_string(window.top()) + " (the child is "
                + std::to_string(window.child()) + ")");
    }

    return tally.finish();
}
