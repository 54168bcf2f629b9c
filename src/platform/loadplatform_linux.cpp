// SPDX-License-Identifier: MIT
#include "module1.h"
#include "services_x11.h"

namespace Module1 {

std::unique_ptr<Services> LoadPlatform()
{
    return std::make_unique<X11Services>();
}

} // namespace Module1
