// SPDX-License-Identifier: MIT
#include "fontpreload.h"

#include <fontconfig/fontconfig.h>

namespace Forms {

// fontconfig sets up its configuration once per process, safely from any thread; Qt's font database then
// finds it ready instead of parsing every configuration file and reading the font caches itself.
FontPreload::FontPreload()
    : m_thread([] { FcInit(); })
{
}

FontPreload::~FontPreload()
{
    Wait();
}

void FontPreload::Wait()
{
    // Two threads that both find no configuration would each read one, and one copy be thrown away.
    if (m_thread.joinable())
        m_thread.join();
}

} // namespace Forms
