// SPDX-License-Identifier: MIT
#pragma once

#include "screensource.h"

#include <string>

namespace Module1 {

// No way to read the screen: never a colour, and every grab says at once that the screen is unreadable.
// With a reason, the program cannot start at all (ZUMEKO_PLATFORM names no platform we have).
class NullSource final : public ScreenSource {
public:
    explicit NullSource(std::string reason = {})
        : m_reason(std::move(reason))
    {
    }
    std::string unavailableReason() const override { return m_reason; }
    std::int32_t pixel(Handle, std::int32_t, std::int32_t) override { return NoColor; }
    std::unique_ptr<PointerGrab> createPointerGrab(GrabClient &client, Handle desktop) override;

private:
    std::string m_reason;
};

} // namespace Module1
