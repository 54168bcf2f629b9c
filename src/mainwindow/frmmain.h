// SPDX-License-Identifier: MIT
#pragma once

#include "module1.h"

#include <QMainWindow>

#include <array>
#include <cstdint>

class CaptureControl;
class HScrollBar;
class Label;
class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTimer;

// The main window. Its controls carry the names of the layout as object names ("HScroll_R", "Lbl_R(1)").
// The event procedures are the public slots; they call one another directly, as designed.
class FrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit FrmMain(Module1::Platform &platform, QWidget *parent = nullptr);
    ~FrmMain() override;

    // False when another copy already runs: the user has been told, and this window must not be shown.
    bool Form_Load();

public Q_SLOTS:
    void Form_Resize();
    void Form_Unload(int &Cancel);
    void CmdQuit_Click();
    void CmdCopy_Click();
    void MenuHelp_Click();
    void MenuInfo_Click();

    void HScroll_R_Change();
    void HScroll_G_Change();
    void HScroll_B_Change();
    void HScroll_R_Scroll();
    void HScroll_G_Scroll();
    void HScroll_B_Scroll();

    void Option1_Click();
    void Option2_Click();
    void Timer1_Timer();
    void Capture1_Capture(Module1::Handle hwndCaptured);
    void Capture1_Point(Module1::Handle hwndPointed);
    void Capture1_Unavailable();

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildControls();
    void fitTexts();
    void setTabOrder();
    void ChannelChange(const HScrollBar *bar, const std::array<QLabel *, 2> &labels);
    void SetColorcode();
    void ShowMousePos();
    void ReportPointerFailure();

    Module1::Platform &m_platform;
    QSize m_normalSize;
    // The pointer-failure message is shown once for a run of failed reads, and no tick runs under it.
    bool m_pointerMessageOpen = false;
    bool m_pointerFailureReported = false;

    std::array<QLabel *, 3> Label1 {};
    HScrollBar *HScroll_R = nullptr;
    HScrollBar *HScroll_G = nullptr;
    HScrollBar *HScroll_B = nullptr;
    std::array<QLabel *, 2> Lbl_R {};
    std::array<QLabel *, 2> Lbl_G {};
    std::array<QLabel *, 2> Lbl_B {};
    QGroupBox *Frame1 = nullptr;
    QRadioButton *Option1 = nullptr;
    QRadioButton *Option2 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *LblCurposition = nullptr;
    Label *LblGetcolor = nullptr;
    Label *LblColorcode = nullptr;
    QGroupBox *Frame2 = nullptr;
    QCheckBox *ChkFonttag = nullptr;
    QPushButton *CmdCopy = nullptr;
    CaptureControl *Capture1 = nullptr;
    QPushButton *CmdQuit = nullptr;
    QTimer *Timer1 = nullptr;
    QAction *MenuHelp = nullptr;
    QAction *MenuInfo = nullptr;
};
