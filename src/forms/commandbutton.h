// SPDX-License-Identifier: MIT
#pragma once

#include <QPushButton>

// A command button as the windows were designed with: never the default button, so Enter elsewhere does
// not press it behind the user's back, yet pressed by Enter as by Space when it has the focus, as on the
// desktops Zumeko's users come from.
class CommandButton : public QPushButton {
public:
    explicit CommandButton(const QString &caption, QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
