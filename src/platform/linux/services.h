// SPDX-License-Identifier: MIT
#pragma once

#include "module1.h"

namespace Module1 {

// What every Linux session shares, whether its screen is read the X11 way or the Wayland way: the desktop
// opens files and addresses, and this user's copies of Zumeko meet in a folder of the user's own.
class LinuxServices : public Services {
public:
    std::string instanceFolder() override;
    std::intptr_t shellExecute(Handle owner, const char *operation, const char *file, const char *parameters,
        const char *directory, int showCommand) override;
};

} // namespace Module1
