// SPDX-License-Identifier: MIT
#include "frminfo.h"

#include "forms.h"
#include "module1.h"
#include "twips.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include <array>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int ClientWidth = 4995; // twips
constexpr int ClientHeight = 1980;
constexpr int GradientUnits = 512; // the client height in the units the bands are laid out in
constexpr qreal TitleSize = 14.25;
constexpr qreal TextSize = 9.75;

QLabel *addLabel(QWidget *parent, const QString &name, const QString &caption, const Forms::Place &place,
    qreal size, const QColor &color)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setGeometry(Forms::ToPixels(place));
    label->setFont(Forms::Typeface(size));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

// K black, W white, G grey, N dark blue; anything else is transparent (0).
QRgb cursorColor(char key)
{
    switch (key) {
    case 'K':
        return 0xFF000000;
    case 'W':
        return 0xFFFFFFFF;
    case 'G':
        return 0xFF808080;
    case 'N':
        return 0xFF000080;
    default:
        return 0;
    }
}

} // namespace

QString FrmInfo::AuthorName()
{
    return u"Zumeko Project"_s;
}
QString FrmInfo::Address()
{
    return u"https://zumeko.example/"_s;
}

FrmInfo::FrmInfo(QWidget *parent)
    : QDialog(parent,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowCloseButtonHint)
{
    setObjectName(u"FrmInfo"_s);
    setWindowTitle(Forms::AppTitle());
    setWindowIcon(Forms::ProgramIcon());
    setFixedSize(Forms::Pixels(ClientWidth), Forms::Pixels(ClientHeight));

    const QColor text(224, 224, 224);
    auto *title
        = addLabel(this, u"Label1"_s, u"Zumeko Version 1.00"_s, { 45, 180, 4920, 285 }, TitleSize, text);
    title->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    addLabel(this, u"Label2"_s, u"作者"_s + QString(7, u' ') + AuthorName(), { 225, 675, 2715, 195 },
        TextSize, text);
    addLabel(this, u"Label6"_s, u"URL"_s, { 225, 945, 600, 195 }, TextSize, text);
    LblUrl
        = addLabel(this, u"LblUrl"_s, Address(), { 1170, 945, 3615, 195 }, TextSize, QColor(192, 192, 255));
    QFont underlined = LblUrl->font();
    underlined.setUnderline(true);
    LblUrl->setFont(underlined);
    LblUrl->setCursor(QCursor(QPixmap::fromImage(LinkCursorImage()), 12, 1));
    LblUrl->installEventFilter(this);
    addLabel(this, u"Label7"_s, u"最終更新日\u30002000/06/28"_s, { 225, 1260, 2580, 195 }, TextSize, text);

    CmdOK = new QPushButton(u"OK"_s, this);
    CmdOK->setObjectName(u"CmdOK"_s);
    CmdOK->setGeometry(Forms::ToPixels({ 1935, 1575, 1050, 330 }));
    // Neither the default nor the cancel button: Enter does not close the box behind the user's back.
    CmdOK->setAutoDefault(false);
    CmdOK->setDefault(false);
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
    const qreal unit = qreal(height()) / GradientUnits;
    for (int i = 0; i < 256; ++i) {
        const qreal top = std::floor(2 * i * unit);
        painter.fillRect(QRectF(0, top, width(), 2), QColor(20, i, 10));
    }
    update();
}

void FrmInfo::CmdOK_Click()
{
    close();
}

void FrmInfo::LblUrl_MouseDown(int Button, int, float, float)
{
    if (Button != 1)
        return;
    const Module1::Handle owner = Module1::GetDesktopWindow();
    const QByteArray address = LblUrl->text().toLocal8Bit();
    Module1::ShellExecuteA(owner, "open", address.constData(), nullptr, "", Module1::SW_SHOW);
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
        const int shift = (press->modifiers() & Qt::ShiftModifier ? 1 : 0)
            | (press->modifiers() & Qt::ControlModifier ? 2 : 0)
            | (press->modifiers() & Qt::AltModifier ? 4 : 0);
        const QPointF at = press->position() * Forms::TwipsPerPixel;
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

QImage LinkCursorImage()
{
    // K black, W white, G grey, N dark blue; the hot spot (12, 1) is the top of the fingertip.
    static constexpr std::array<const char *, 23> Rows = {
        "",
        "            KK",
        "           KWWK",
        "           KWWK",
        "           KWWK",
        "           KWWK",
        "           KWWKKK",
        "           KWWKWWKKK",
        "           KWWKWWKWWKK",
        "        KK KWWKWWKWWKWK",
        "        KWKKWWWWWWWWKWWK",
        "        KWWKWWWWWWWWWWWK",
        "         KWWWWWWWWWWWWWK",
        "         KWWWWWWWWWWWWWK",
        "          KWWWWWWWWWWWWK",
        "          KWWWWWWWWWWWGK",
        "           KWWWWWWWWWGK",
        "           KWWWWWWWWWGK",
        "            KWWWWWWWGGK",
        "            KKKKKKKKKKK",
        "            KNNNNNNNNNK",
        "            KNNNNNNNNNK",
        "            KKKKKKKKKKK",
    };
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < int(Rows.size()); ++y) {
        for (int x = 0; Rows[std::size_t(y)][x] != '\0'; ++x) {
            if (const QRgb pixel = cursorColor(Rows[std::size_t(y)][x]); pixel != 0)
                image.setPixel(x, y, pixel);
        }
    }
    return image;
}
