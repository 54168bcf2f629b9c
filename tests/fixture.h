// SPDX-License-Identifier: MIT
#pragma once

// What the widget tests share: a runtime folder of their own, so that the instance lock is never shared
// with another test or with a Zumeko the person runs; messages collected instead of shown; and the
// main window's controls found by the names of the layout.
#include "forms.h"
#include "label.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QtGlobal>

#include <functional>

class WidgetFixture {
public:
    // Call first, from initTestCase.
    bool isolate()
    {
        if (!m_runtime.isValid())
            return false;
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
        Forms::SetMessageHook([this](const QString &text) {
            messages << text;
            if (duringMessage)
                duringMessage();
        });
        return true;
    }
    QString runtimeFile(const QString &name) const { return m_runtime.filePath(name); }

    QStringList messages;
    std::function<void()> duringMessage; // runs while a message is "open"

private:
    QTemporaryDir m_runtime;
};

template <typename W> W *control(const QObject *window, const QString &name)
{
    W *w = window->findChild<W *>(name);
    if (!w)
        qFatal("no control %s", qPrintable(name));
    return w;
}
inline QString labelText(const QObject *window, const QString &name) { return control<QLabel>(window, name)->text(); }
inline QString codeText(const QObject *window) { return labelText(window, QStringLiteral("LblColorcode")); }
inline std::int32_t swatchColor(const QObject *window)
{
    return control<Label>(window, QStringLiteral("LblGetcolor"))->BackColor();
}
