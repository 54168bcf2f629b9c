// SPDX-License-Identifier: MIT
#include "frminfo.h"

#include "centring.h"
#include "commandbutton.h"
#include "fitfont.h"
#include "frminfolayout.h"
#include "label.h"
#include "linkcursor.h"
#include "messagebox.h"
#include "module1.h"
#include "placed.h"
#include "programicon.h"
#include "typeface.h"
#include "version.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include <cmath>
#include <cstdint>

using namespace Qt::Literals::StringLiterals;
namespace Layout = FrmInfoLayout;

QString FrmInfo::AuthorName()
{
    return u"Zumeko Project"_s;
}
QString FrmInfo::Address()
{
    return u"https://zumeko.example/"_s;
}

FrmInfo::FrmInfo(Module1::Platform &platform, QWidget *parent)
    : QDialog(parent,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowCloseButtonHint)
    , m_platform(platform)
{
    setObjectName(u"FrmInfo"_s);
    setWindowTitle(Forms::AppTitle());
    setWindowIcon(Forms::ProgramIcon());
    setFixedSize(Twips::Pixels(Layout::ClientWidth), Twips::Pixels(Layout::ClientHeight));

    const QFont title = Forms::Typeface(Layout::TitleSize);
    const QFont text = Forms::Typeface(Layout::TextSize);
    QFont link = text;
    link.setUnderline(true);
    Forms::AddLabel(
        this, u"Label1"_s, Layout::Label1, title, u"Zumeko Version " ZUMEKO_VERSION ""_s, Layout::TextColor)
        ->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Forms::AddLabel(this, u"Label2"_s, Layout::Label2, text, u"作者"_s + QString(7, u' ') + AuthorName(),
        Layout::TextColor);
    Forms::AddLabel(this, u"Label6"_s, Layout::Label6, text, u"URL"_s, Layout::TextColor);
    LblUrl = Forms::AddLabel(this, u"LblUrl"_s, Layout::LblUrl, link, Address(), Layout::LinkColor);
    LblUrl->setCursor(
        QCursor(QPixmap::fromImage(LinkCursorImage()), Layout::LinkHotSpot.x(), Layout::LinkHotSpot.y()));
    LblUrl->installEventFilter(this);
    Forms::AddLabel(
        this, u"Label7"_s, Layout::Label7, text, u"最終更新日\u30002000/06/28"_s, Layout::TextColor);

    // Neither the default nor the cancel button: Enter does not close the box behind the user's back.
    CmdOK = Forms::Placed(new CommandButton(u"OK"_s, this), u"CmdOK"_s, Layout::CmdOK);
    for (QWidget *control : findChildren<QWidget *>())
        Forms::FitFont(control);
    connect(CmdOK, &QPushButton::clicked, this, &FrmInfo::CmdOK_Click);
}

void FrmInfo::Form_Load()
{
    const qreal ratio = devicePixelRatioF();
    m_image = QPixmap(size() * ratio);
    m_image.setDevicePixelRatio(ratio);
    QPainter painter(&m_image);
    // 256 bands from nearly black to bright green. Each is half a pixel high but drawn with a two-pixel
    // line, so neighbours overlap and the later, greener band shows where they meet.
    const qreal unit = qreal(height()) / Layout::GradientUnits;
    for (int i = 0; i < 256; ++i) {
        const qreal top = std::floor(2 * i * unit);
        painter.fillRect(QRectF(0, top, width(), 2), QColor(20, i, 10));
    }
    update();
}

void FrmInfo::showCentredOn(const QWidget *main)
{
    const QRect outer = main->frameGeometry(), inner = main->geometry();
    const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
        outer.right() - inner.right(), outer.bottom() - inner.bottom());
    const auto twips = [](int pixels) { return float(pixels * Twips::PerPixel); };
    // The box is not shown yet, so the window manager has not framed it: reckon with the main window's frame.
    const QSize boxOuter = size().grownBy(frame);
    const std::int16_t top
        = Twips::CentredOrigin(twips(outer.height()), twips(outer.top()), twips(boxOuter.height()));
    const std::int16_t left
        = Twips::CentredOrigin(twips(outer.width()), twips(outer.left()), twips(boxOuter.width()));
    move(Twips::Pixels(left), Twips::Pixels(top));
    exec();
}

void FrmInfo::CmdOK_Click()
{
    close();
}

void FrmInfo::LblUrl_MouseDown(int Button, int, float, float)
{
    if (Button != 1)
        return;
    const Module1::Handle owner = m_platform.GetDesktopWindow();
    const QByteArray address = LblUrl->text().toLocal8Bit();
    m_platform.ShellExecuteA(owner, "open", address.constData(), nullptr, "", Module1::SW_SHOW);
}

bool FrmInfo::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == LblUrl && event->type() == QEvent::MouseButtonPress) {
        const auto *press = static_cast<QMouseEvent *>(event);
        int button = 0;
        switch (press->button()) {
        case Qt::LeftButton:
            button = 1;
            break;
        case Qt::RightButton:
            button = 2;
            break;
        case Qt::MiddleButton:
            button = 4;
            break;
        default:
            break;
        }
        // Shift, Ctrl and Alt are Qt's three bits from bit 25 on, in the order of the 1, 2 and 4 expected.
        const int shift = int(
            (press->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)).toInt() >> 25);
        const QPointF at = press->position() * Twips::PerPixel;
        LblUrl_MouseDown(button, shift, float(at.x()), float(at.y()));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void FrmInfo::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!m_image.isNull())
        painter.drawPixmap(0, 0, m_image);
}
