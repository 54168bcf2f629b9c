// SPDX-License-Identifier: MIT
#include "frmmain.h"

#include "capturecontrol.h"
#include "clipboardtext.h"
#include "colorcode.h"
#include "commandbutton.h"
#include "doevents.h"
#include "filelookup.h"
#include "fitfont.h"
#include "frminfo.h"
#include "frmmainlayout.h"
#include "hscrollbar.h"
#include "label.h"
#include "messagebox.h"
#include "module1.h"
#include "paintpacer.h"
#include "placed.h"
#include "previnstance.h"
#include "programicon.h"
#include "screencentre.h"
#include "typeface.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;
namespace Layout = FrmMainLayout;

namespace {

QString fromU16(const std::u16string &text)
{
    return QString::fromStdU16String(text);
}

} // namespace

FrmMain::FrmMain(Module1::Platform &platform, QWidget *parent)
    : QMainWindow(parent,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , m_platform(platform)
{
    setWindowTitle(Forms::AppTitle());
    setWindowIcon(Forms::ProgramIcon());

    // Two top-level commands with no drop-downs: a menu-bar action without a menu runs at once, from a
    // click or from its Alt+letter.
    MenuHelp = menuBar()->addAction(u"ヘルプ(&H)"_s);
    MenuInfo = menuBar()->addAction(u"Zumekoについて(&I)"_s);

    buildControls();
    setTabOrder();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(u"Timer1"_s);
    Timer1->setInterval(Layout::TimerInterval);
    // A coarse timer may round 10 ms up to 15 or 20; sampling is meant to run a hundred times a second.
    Timer1->setTimerType(Qt::PreciseTimer);
    new PaintPacer(this);

    connect(HScroll_R, &HScrollBar::Change, this, &FrmMain::HScroll_R_Change);
    connect(HScroll_G, &HScrollBar::Change, this, &FrmMain::HScroll_G_Change);
    connect(HScroll_B, &HScrollBar::Change, this, &FrmMain::HScroll_B_Change);
    connect(HScroll_R, &HScrollBar::Scroll, this, &FrmMain::HScroll_R_Scroll);
    connect(HScroll_G, &HScrollBar::Scroll, this, &FrmMain::HScroll_G_Scroll);
    connect(HScroll_B, &HScrollBar::Scroll, this, &FrmMain::HScroll_B_Scroll);
    // clicked, not toggled: choosing the option that is already selected runs its procedure again.
    connect(Option1, &QRadioButton::clicked, this, &FrmMain::Option1_Click);
    connect(Option2, &QRadioButton::clicked, this, &FrmMain::Option2_Click);
    connect(Timer1, &QTimer::timeout, this, &FrmMain::Timer1_Timer);
    connect(Timer1, &QTimer::timeout, Capture1, &CaptureControl::ShowLoupe); // what the tick read for it
    connect(Capture1, &CaptureControl::Capture, this, &FrmMain::Capture1_Capture);
    connect(Capture1, &CaptureControl::Point, this, &FrmMain::Capture1_Point);
    connect(Capture1, &CaptureControl::Unavailable, this, &FrmMain::Capture1_Unavailable);
    connect(CmdCopy, &QPushButton::clicked, this, &FrmMain::CmdCopy_Click);
    connect(MenuHelp, &QAction::triggered, this, &FrmMain::MenuHelp_Click);
    connect(MenuInfo, &QAction::triggered, this, &FrmMain::MenuInfo_Click);
    connect(CmdQuit, &QPushButton::clicked, this, &FrmMain::CmdQuit_Click);

    // The window keeps one size: the client area as laid out, with the menu bar above it. Fixing it also
    // tells the window manager, which then offers no maximize and no resizing frame.
    m_normalSize = sizeHint();
    setFixedSize(m_normalSize);
    Forms::CentreOnScreen(this);
    HScroll_R->setFocus();
}

FrmMain::~FrmMain() = default;

void FrmMain::buildControls()
{
    auto *client = new QWidget(this);
    client->setFixedSize(Twips::Pixels(Layout::ClientWidth), Twips::Pixels(Layout::ClientHeight));
    setCentralWidget(client);

    const QFont font = Forms::Typeface(Layout::FontSize);

    const std::array<QString, 3> rowCaptions = { u"R (赤)"_s, u"G (緑)"_s, u"B (青)"_s };
    const std::array<QColor, 3> rowColors = { QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255) };
    const std::array<QString, 3> channel = { u"R"_s, u"G"_s, u"B"_s };
    std::array<HScrollBar *, 3> bars {};
    std::array<std::array<QLabel *, 2> *, 3> values = { &Lbl_R, &Lbl_G, &Lbl_B };
    for (std::size_t i = 0; i < 3; ++i) {
        Label1[i] = Forms::AddLabel(
            client, u"Label1(%1)"_s.arg(i), Layout::Label1[i], font, rowCaptions[i], rowColors[i]);
        bars[i] = Forms::Placed(new HScrollBar(client), u"HScroll_"_s + channel[i], Layout::HScroll[i]);
        bars[i]->setRange(0, 255);
        bars[i]->setSingleStep(1);
        bars[i]->setPageStep(1);
        (*values[i])[0]
            = Forms::AddLabel(client, u"Lbl_%1(0)"_s.arg(channel[i]), Layout::LblDecimal[i], font);
        (*values[i])[1] = Forms::AddLabel(client, u"Lbl_%1(1)"_s.arg(channel[i]), Layout::LblHex[i], font);
    }
    HScroll_R = bars[0];
    HScroll_G = bars[1];
    HScroll_B = bars[2];

    Frame1 = Forms::Placed(new QGroupBox(u"色情報取得方法"_s, client), u"Frame1"_s, Layout::Frame1, font);
    Option1 = Forms::Placed(
        new QRadioButton(u"スクロールバーを用いて取得"_s, Frame1), u"Option1"_s, Layout::Option1, font);
    Option2 = Forms::Placed(new QRadioButton(u"画面上でマウスクリックを用いて取得"_s, Frame1), u"Option2"_s,
        Layout::Option2, font);
    Option1->setChecked(true);
    Label2 = Forms::AddLabel(Frame1, u"Label2"_s, Layout::Label2, font, u"マウス位置"_s);
    LblCurposition = Forms::AddLabel(Frame1, u"LblCurposition"_s, Layout::LblCurposition, font);

    LblGetcolor = Forms::Placed(new Label(client), u"LblGetcolor"_s, Layout::LblGetcolor);
    LblGetcolor->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);

    LblColorcode = Forms::AddLabel(
        client, u"LblColorcode"_s, Layout::LblColorcode, Forms::Typeface(Layout::CodeFontSize));
    LblColorcode->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    LblColorcode->setAlignment(Qt::AlignCenter);
    LblColorcode->setBackColor(0xFFFFFF);

    Frame2 = Forms::Placed(new QGroupBox(u"コピー方法"_s, client), u"Frame2"_s, Layout::Frame2, font);
    ChkFonttag = Forms::Placed(new QCheckBox(u"<font color> タグを含めてコピー"_s, Frame2), u"ChkFonttag"_s,
        Layout::ChkFonttag, font);

    CmdCopy = Forms::Placed(new CommandButton(u"コピー"_s, client), u"CmdCopy"_s, Layout::CmdCopy, font);
    CmdCopy->setToolTip(u"クリップボードに色情報をコピーします"_s);
    Capture1 = Forms::Placed(new CaptureControl(m_platform, client), u"Capture1"_s, Layout::Capture1);
    CmdQuit = Forms::Placed(new CommandButton(u"終了"_s, client), u"CmdQuit"_s, Layout::CmdQuit, font);
    CmdQuit->setToolTip(u"Zumekoを終了します"_s);
    fitTexts();
}

void FrmMain::fitTexts()
{
    // Every text that each control can show, whole, in whatever face stands in for the typeface.
    QStringList decimals, hexes, codes, positions;
    for (int value = 0; value < 256; ++value) {
        decimals << fromU16(colorcode::ChannelDecimalText(value)).chopped(1); // the last space may be cut
        hexes << fromU16(colorcode::ChannelHexText(value));
    }
    for (const QChar digit : u"0123456789ABCDEF"_s)
        codes << u"#"_s + QString(6, digit);
    for (int digit = 0; digit < 10; ++digit) // five digits and a sign: far left of a wide desktop
        positions << fromU16(colorcode::CursorPositionText(-11111 * digit, -11111 * digit));
    // The three channels' labels are alike: fitted once, the others take the same font.
    Forms::FitFont(Lbl_R[0], decimals);
    Forms::FitFont(Lbl_R[1], hexes);
    for (const auto &labels : { Lbl_G, Lbl_B }) {
        labels[0]->setFont(Lbl_R[0]->font());
        labels[1]->setFont(Lbl_R[1]->font());
    }
    Forms::FitFont(LblColorcode, codes);
    Forms::FitFont(LblCurposition, positions);
    for (QWidget *control : findChildren<QWidget *>()) // the fixed captions; the others are fitted already
        Forms::FitFont(control);
}

void FrmMain::setTabOrder()
{
    // Ascending tab index over the controls that take the focus; the capture control, last in the
    // window's numbering, takes none.
    const QWidget *order[]
        = { HScroll_R, HScroll_G, HScroll_B, Option1, Option2, CmdCopy, ChkFonttag, CmdQuit };
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        QWidget::setTabOrder(const_cast<QWidget *>(order[i]), const_cast<QWidget *>(order[i + 1]));
}

bool FrmMain::Form_Load()
{
    Module1::Services &services = m_platform.services();
    if (Forms::PrevInstance(QString::fromStdString(services.instanceFolder()),
            QString::fromStdString(services.displayName()))) {
        Forms::MsgBox(u"既に起動しています。二重起動はできません"_s);
        return false;
    }
    for (QLabel *decimal : { Lbl_R[0], Lbl_G[0], Lbl_B[0] })
        decimal->setText(fromU16(colorcode::ChannelDecimalText(0)));
    for (QLabel *hex : { Lbl_R[1], Lbl_G[1], Lbl_B[1] })
        hex->setText(fromU16(colorcode::ChannelHexText(0)));
    for (HScrollBar *bar : { HScroll_R, HScroll_G, HScroll_B })
        bar->setValue(0);
    LblColorcode->setText(u"#000000"_s);
    LblGetcolor->setBackColor(0);
    return true;
}

void FrmMain::Form_Resize()
{
    if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    // Setting the size it already has raises no further resize, so a nested run ends here.
    if (size() != m_normalSize)
        resize(m_normalSize);
}

void FrmMain::Form_Unload(int &)
{
    // Unloading never fails: a handle that is stale or was never set is simply not released.
    try {
        m_platform.ReleaseDesktopDC();
    } catch (...) {
    }
}

void FrmMain::CmdQuit_Click()
{
    close();
}

void FrmMain::CmdCopy_Click()
{
    Forms::ClipboardClear();
    const bool withTag = ChkFonttag->checkState() == Qt::Checked;
    const QString text = fromU16(colorcode::CopyText(LblColorcode->text().toStdU16String(), withTag));
    if (!m_platform.services().putOnClipboard([&text] { return Forms::ClipboardSetText(text); }))
        Forms::MsgBox(u"クリップボードにコピーできませんでした。"_s, this);
}

void FrmMain::MenuHelp_Click()
{
    // Looked up in the folder Zumeko was started from, as plain, readable files only.
    if (Forms::Dir(u"help.html"_s).isEmpty()) {
        Forms::MsgBox(u"ヘルプファイルが見つかりません。ヘルプを起動できませんでした。"_s, this);
        return;
    }
    const Module1::Handle owner = m_platform.GetDesktopWindow();
    m_platform.ShellExecuteA(owner, "open", "help.html", nullptr, "", Module1::SW_SHOW);
}

void FrmMain::MenuInfo_Click()
{
    FrmInfo box(m_platform, this);
    box.Form_Load();
    box.showCentredOn(this);
}

void FrmMain::HScroll_R_Change()
{
    ChannelChange(HScroll_R, Lbl_R);
}
void FrmMain::HScroll_G_Change()
{
    ChannelChange(HScroll_G, Lbl_G);
}
void FrmMain::HScroll_B_Change()
{
    ChannelChange(HScroll_B, Lbl_B);
}
void FrmMain::HScroll_R_Scroll()
{
    HScroll_R_Change();
}
void FrmMain::HScroll_G_Scroll()
{
    HScroll_G_Change();
}
void FrmMain::HScroll_B_Scroll()
{
    HScroll_B_Change();
}

void FrmMain::ChannelChange(const HScrollBar *bar, const std::array<QLabel *, 2> &labels)
{
    const int value = bar->value();
    labels[0]->setText(fromU16(colorcode::ChannelDecimalText(value)));
    labels[1]->setText(fromU16(colorcode::ChannelHexText(value)));
    SetColorcode();
}

void FrmMain::SetColorcode()
{
    // The labels are the model: the code shows each channel exactly as its label does.
    LblColorcode->setText(fromU16(colorcode::ColorcodeFromChannels(Lbl_R[1]->text().toStdU16String(),
        Lbl_G[1]->text().toStdU16String(), Lbl_B[1]->text().toStdU16String())));
    LblGetcolor->setBackColor(
        colorcode::ScreenColor(HScroll_R->value(), HScroll_G->value(), HScroll_B->value()));
}

void FrmMain::Option1_Click()
{
    Option1->setChecked(true); // and Option2 not: they share Frame1
    for (HScrollBar *bar : { HScroll_R, HScroll_G, HScroll_B })
        bar->setEnabled(true);
    Timer1->stop();
    // Left armed, the grab would swallow the user's next click on a scroll bar.
    Capture1->CancelCapture();
    LblCurposition->clear();
    HScroll_R_Change();
}

void FrmMain::Option2_Click()
{
    Option2->setChecked(true);
    for (HScrollBar *bar : { HScroll_R, HScroll_G, HScroll_B })
        bar->setEnabled(false);
    Timer1->start();
    if (m_platform.ReadMousePos() == 0)
        return;
    m_pointerFailureReported = false;
    ShowMousePos();
    Capture1_Point(m_platform.StoreDesktopWindow());
}

void FrmMain::Timer1_Timer()
{
    // Ticks that fall due under the failure message would each open another one on top of it, and the
    // user could neither leave screen mode nor quit.
    if (m_pointerMessageOpen)
        return;
    try {
        if (!Option2->isChecked())
            return;
        if (m_platform.ReadMousePos() == 0) {
            if (!m_pointerFailureReported)
                ReportPointerFailure();
            return;
        }
        m_pointerFailureReported = false;
        ShowMousePos();
        const std::int32_t color = m_platform.SampleAtMousePos();
        if (color == Module1::NoColor)
            return;
        LblGetcolor->setBackColor(color);
        LblColorcode->setText(
            fromU16(colorcode::ColorcodeFromScreenColor(static_cast<std::uint32_t>(color))));
    } catch (...) {
        // A failed tick ends quietly; the next one starts afresh.
    }
}

void FrmMain::ShowMousePos()
{
    if (!m_platform.MousePosShown())
        return; // left empty, as with the scroll bars: no position is better than one the colour is not from
    LblCurposition->setText(
        fromU16(colorcode::CursorPositionText(m_platform.MousePos.x, m_platform.MousePos.y)));
}

void FrmMain::ReportPointerFailure()
{
    m_pointerFailureReported = true;
    m_pointerMessageOpen = true;
    // However the message ends, even by a throw, sampling goes on afterwards; the capture lets go of the
    // pointer while the box is open and takes it again after, by itself.
    const auto reopen = qScopeGuard([this] { m_pointerMessageOpen = false; });
    Forms::MsgBox(u"マウス位置取得に失敗しました。"_s, this);
}

void FrmMain::Capture1_Capture(Module1::Handle)
{
    Timer1->stop();
    Forms::DoEvents();
}

void FrmMain::Capture1_Point(Module1::Handle hwndPointed)
{
    const bool desktop = hwndPointed == Module1::ToHandle(m_platform.hWndDesk);
    const bool self = hwndPointed == static_cast<Module1::Handle>(winId());
    if (desktop || self)
        Capture1->StartCapture();
}

// Some desktops let no program read the screen (a Wayland session without the means): rather than show a
// colour that is not there, say so once and give the scroll bars back.
void FrmMain::Capture1_Unavailable()
{
    Timer1->stop();
    Forms::MsgBox(
        u"このデスクトップでは画面の色を読み取れません。スクロールバーを用いて取得してください。"_s, this);
    Option1_Click();
}

void FrmMain::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

void FrmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void FrmMain::closeEvent(QCloseEvent *event)
{
    int cancel = 0;
    Form_Unload(cancel);
    if (cancel != 0)
        event->ignore();
    else
        event->accept();
}
