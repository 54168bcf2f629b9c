// SPDX-License-Identifier: MIT
#include "messagebox.h"

#include "formstesting.h"
#include "programicon.h"

#include <QIcon>
#include <QMessageBox>
#include <QString>

using namespace Qt::Literals::StringLiterals;

namespace Forms {

namespace {

    MessageHook &messageHook()
    {
        static MessageHook hook;
        return hook;
    }

} // namespace

QString AppTitle()
{
    return u"Zumeko"_s;
}

void MsgBox(const QString &text, QWidget *parent)
{
    if (const auto &hook = messageHook()) {
        hook(text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, AppTitle(), text, QMessageBox::Ok, parent);
    box.setWindowIcon(ProgramIcon());
    box.exec();
}

void SetMessageHook(MessageHook hook)
{
    messageHook() = std::move(hook);
}

} // namespace Forms
