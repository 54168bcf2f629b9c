// SPDX-License-Identifier: MIT
#include "clipboardtext.h"

#include "formstesting.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QString>

namespace Forms {

namespace {

    bool clipboardRefuses = false;

} // namespace

void ClipboardClear()
{
    if (!clipboardRefuses)
        QGuiApplication::clipboard()->clear();
}

bool ClipboardSetText(const QString &text)
{
    if (clipboardRefuses)
        return false;
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText(text);
    // Qt reports no failure of its own; reading back catches a clipboard that refuses outright. Whether the
    // system really holds the text for us is the platform's to say (Module1::Services::putOnClipboard).
    return clipboard->text() == text;
}

void SetClipboardRefuses(bool refuses)
{
    clipboardRefuses = refuses;
}

} // namespace Forms
