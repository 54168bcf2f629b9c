// SPDX-License-Identifier: MIT
#pragma once

// The layer shell's generated client code, which names an argument "namespace": C++ cannot take that.
#define namespace layer_namespace
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace
