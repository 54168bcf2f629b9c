// SPDX-License-Identifier: MIT
#pragma once

#include <thread>

namespace Forms {

// Reads the system's font configuration on a thread of its own while Qt connects to the display: on Linux
// that reading is the larger part of what the first font costs, and every window needs a font at once.
// Wait() returns once it is read, at once where there is nothing to read; the destructor waits too.
class FontPreload {
public:
    FontPreload();
    ~FontPreload();
    FontPreload(const FontPreload &) = delete;
    FontPreload &operator=(const FontPreload &) = delete;
    void Wait();

private:
    std::thread m_thread;
};

} // namespace Forms
