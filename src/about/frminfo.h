// SPDX-License-Identifier: MIT
#pragma once

#include "module1.h"

#include <QDialog>
#include <QPixmap>

class QLabel;
class QPushButton;

// The About box: a fixed-size modal box on a drawn gradient, with the version, the credit and a link.
// Each opening makes a new one; closing it (OK, the close box or Escape) unloads it.
class FrmInfo : public QDialog {
    Q_OBJECT
public:
    explicit FrmInfo(Module1::Platform &platform, QWidget *parent = nullptr);

    // Draws the gradient into the box's persistent image; runs when the box loads.
    void Form_Load();

    // Opens the box modally, centred on `main`, and returns when it is closed.
    void showCentredOn(const QWidget *main);

    static QString AuthorName();
    static QString Address();

public Q_SLOTS:
    void CmdOK_Click();
    // Button: 1 left, 2 right, 4 middle. Only the left button opens the address.
    void LblUrl_MouseDown(int Button, int Shift, float X, float Y);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    Module1::Platform &m_platform;
    QPixmap m_image; // what the box shows behind its labels, kept across repaints
    QLabel *LblUrl = nullptr;
    QPushButton *CmdOK = nullptr;
};
