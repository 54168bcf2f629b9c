// SPDX-License-Identifier: MIT
#pragma once

// What Zumeko needs of a forms runtime, on top of Qt Widgets, all at once; each part has a header of its own.
#include "clipboardtext.h"
#include "doevents.h"
#include "filelookup.h"
#include "fitfont.h"
#include "messagebox.h"
#include "previnstance.h"
#include "programicon.h"
#include "typeface.h"
