// SPDX-License-Identifier: MIT
#include "clipboardtext.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QString>

namespace Forms {

void ClipboardClear()
{
    QGuiApplication::clipboard()->clear();
}

bool ClipboardSetText(const QString &text)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText(text);
    // Qt reports no failure of its own; reading back catches a clipboard that refuses outright. Whether the
    // system really holds the text for us is the platform's to say (Module1::Services::putOnClipboard).
    return clipboard->text() == text;
}

} // namespace Forms
