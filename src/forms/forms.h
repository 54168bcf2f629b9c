// SPDX-License-Identifier: MIT
#pragma once

#include "fitfont.h"
#include "programicon.h"
#include "typeface.h"

#include <QStringList>
#include <QtGlobal>

#include <cstdint>
#include <functional>

class QFont;
class QIcon;
class QImage;
class QString;

class QWidget;

// What Zumeko needs of a forms runtime, on top of Qt Widgets.
namespace Forms {

// The application title every message box bears.
QString AppTitle();

// A modal message with the critical-stop icon and a single OK button, titled "Zumeko".
void MsgBox(const QString &text, QWidget *parent = nullptr);
// Tests see messages without a person closing them: while a hook is set, it gets the text instead of a box.
using MessageHook = std::function<void(const QString &text)>;
void SetMessageHook(MessageHook hook);

// True when another copy of Zumeko already runs for this user on this display. The first call that finds
// none takes the lock in `folder` (a folder of this user's alone; empty: the local application data) and
// holds it until the process ends; a copy that died leaves no lock that counts. A folder that cannot be
// used never blocks the start.
bool PrevInstance(const QString &folder, const QString &display);
void ReleaseInstanceLock(); // gives the lock back early; tests use it between cases

// File lookup by name (wildcards allowed) in the current directory, with the attribute mask 0: plain,
// readable files only, never a directory or a hidden (dot) file. The first matching name, or empty.
QString Dir(const QString &pattern);

// Handles the window events that are already queued, then returns.
void DoEvents();

// The clipboard's plain-text slot. ClipboardSetText reports whether the text reads back.
void ClipboardClear();
bool ClipboardSetText(const QString &text);
// Tests stand in for a clipboard that cannot be written.
void SetClipboardRefuses(bool refuses);

} // namespace Forms
