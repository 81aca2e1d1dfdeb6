#include "glimmertip/wGlimmertip.h"

#include "glimmertip/LiveObjects.h"
#include "glimmertip/TipShapes.h"
#include "glimmertip/modAPI.h"
#include "glimmertip/modGlimmertip.h"
#include "platform/Twips.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>

using namespace Qt::StringLiterals;

namespace {

int Px(long twips) {
    return qRound(double(twips) / double(platform::kTwipsPerPixel));
}

QRect PxRect(long left, long top, long width, long height) {
    return QRect(Px(left), Px(top), Px(width), Px(height));
}

// Resource names of the icon pictures, by icon number.
const char* const kIconNames[wGlimmertip::kIconCount] = {
    "tipInformation", "tipQuestion",  "tipExclamation", "tipCritical",     "tipPapers",
    "tipFolder",      "tipGlobe",     "tipKey",         "tipMagnifyGlass", "tipPadlock",
    "tipEmail",       "tipPieChart",  "tipRecycleBin",  "tipSpeaker",      "tipStar",
    "tipUsers",       "tipRedo",      "tipAddressBook", "tipComputers",    "tipMouse",
    "tipSettings",    "tipMSN1",      "tipMSN2",        "tipBackup",       "tipIE",
    "tipEject",       "tipLightbulb", "tipPicture",     "tipRAM",          "tipSmiley",
    "tipUndo",        "tipWindow",    "tipTick"};

// Where each icon sits, in twips; most at (75, 75), some nudged to centre their drawing.
QPoint IconPlace(int index) {
    switch (index) {
        case 2:
            return {75, 60};
        case 6:
        case 7:
            return {75, 90};
        case 13:
            return {90, 90};
        case 15:
            return {60, 75};
        case 20:
            return {90, 75};
        default:
            return {75, 75};
    }
}

QFont TahomaFont(qreal points, bool bold) {
    QFont font;
    // Tahoma where it is installed, else the nearest sans serif of a Linux desktop.
    font.setFamilies({u"Tahoma"_s, u"DejaVu Sans"_s});
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

}  // namespace

wGlimmertip::wGlimmertip()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus) {
    LiveObjects::Created();
    setObjectName(u"wGlimmertip"_s);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFocusPolicy(Qt::NoFocus);
    setFont(TahomaFont(8.25, false));
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(255, 255, 192));
    colours.setColor(QPalette::WindowText, Qt::black);
    setPalette(colours);

    labHeader = new QLabel(this);
    labHeader->setObjectName(u"labHeader"_s);
    labHeader->setAutoFillBackground(true);
    QPalette band = labHeader->palette();
    band.setColor(QPalette::Window, QColor(255, 255, 128));
    labHeader->setPalette(band);
    labHeader->setGeometry(PxRect(15, 15, 1815, 345));

    linLine = new LineControl(this, QLine(-75, 360, 1950, 360));
    linLine->setObjectName(u"linLine"_s);

    for (int i = 0; i < kIconCount; ++i) {
        auto* image = new QLabel(this);
        image->setObjectName(u"imgInfo"_s + QString::number(i));
        const QPoint at = IconPlace(i);
        const long side = i == 29 ? 225 : 240;
        image->setGeometry(PxRect(at.x(), at.y(), side, side));
        image->setPixmap(
            QPixmap(u":/glimmertip/icons/"_s + QLatin1StringView(kIconNames[i]) + u".png"_s));
        image->hide();
        icons_[std::size_t(i)] = image;
    }
    noIcon_ = new QLabel(this);
    noIcon_->setObjectName(u"imgInfo99"_s);
    noIcon_->setGeometry(PxRect(75, 75, 240, 240));
    noIcon_->hide();

    labTitle = new QLabel(QString(10, u' '), this);
    labTitle->setObjectName(u"labTitle"_s);
    labTitle->setTextFormat(Qt::PlainText);
    labTitle->setFont(TahomaFont(9.75, true));
    labTitle->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    labBody = new QLabel(QString(20, u' '), this);
    labBody->setObjectName(u"labBody"_s);
    labBody->setTextFormat(Qt::PlainText);
    labBody->setWordWrap(true);
    labBody->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    PlaceLabels();

    shpBorder = new ShapeControl(this);
    shpBorder->setObjectName(u"shpBorder"_s);
    shpBorder->raise();

    chkCloseOnMouseClick = new QCheckBox(this);
    chkCloseOnMouseClick->setObjectName(u"chkCloseOnMouseClick"_s);
    chkCloseOnMouseClick->setChecked(true);
    chkCloseOnMouseClick->hide();

    tmrFade.setObjectName(u"tmrFade"_s);
    tmrFade.setInterval(20);
    tmrClose.setObjectName(u"tmrClose"_s);
    tmrClose.setInterval(75);
    tmrAutoClose.setObjectName(u"tmrAutoClose"_s);
    tmrAutoClose.setInterval(1000);
    connect(&tmrFade, &QTimer::timeout, this, &wGlimmertip::tmrFade_Timer);
    connect(&tmrClose, &QTimer::timeout, this, &wGlimmertip::tmrClose_Timer);
    connect(&tmrAutoClose, &QTimer::timeout, this, &wGlimmertip::tmrAutoClose_Timer);

    SetSize(width_, height_);
}

wGlimmertip::~wGlimmertip() {
    LiveObjects::Destroyed();
}

QLabel* wGlimmertip::imgInfo(long index) const {
    if (index == kNoIcon) {
        return noIcon_;
    }
    return index >= 0 && index < kIconCount ? icons_[std::size_t(index)] : nullptr;
}

void wGlimmertip::Move(long left, long top) {
    left_ = left;
    top_ = top;
    move(Px(left), Px(top));
}

void wGlimmertip::SetSize(long width, long height) {
    width_ = width;
    height_ = height;
    resize(qMax(1, Px(width)), qMax(1, Px(height)));
}

void wGlimmertip::SetTitleLeft(long left) {
    title_.Left = left;
    PlaceLabels();
}

void wGlimmertip::SetBodyWidth(long width) {
    body_.Width = width;
    PlaceLabels();
}

void wGlimmertip::SetTexts(const QString* title, const QString& body) {
    if (title) {
        labTitle->setText(*title);
    }
    labBody->setText(body);
    PlaceLabels();
}

void wGlimmertip::PlaceLabels() {
    const QSize titleSize = labTitle->sizeHint();
    title_.Width = platform::PixelsToTwips(titleSize.width());
    title_.Height = platform::PixelsToTwips(titleSize.height());
    labTitle->setGeometry(Px(title_.Left), Px(title_.Top), titleSize.width(), titleSize.height());

    const int bodyWidth = Px(body_.Width);
    const int bodyHeight = labBody->heightForWidth(bodyWidth);
    body_.Height = platform::PixelsToTwips(qMax(0, bodyHeight));
    labBody->setGeometry(Px(body_.Left), Px(body_.Top), bodyWidth, qMax(0, bodyHeight));
}

void wGlimmertip::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    shpBorder->setGeometry(rect());
}

void wGlimmertip::mousePressEvent(QMouseEvent* event) {
    event->accept();
    CloseIfClickCloses();
}

void wGlimmertip::closeEvent(QCloseEvent* event) {
    // Closing always goes through the fade-out; the window deletes itself at its end.
    event->ignore();
    Unload();
}

void wGlimmertip::CloseIfClickCloses() {
    if (chkCloseOnMouseClick->isChecked()) {
        Unload();
    }
}

void wGlimmertip::tmrFade_Timer() {
    if (unloading_) {
        tmrFade.stop();
        return;
    }
    const int counter = FadeCounter.toInt() + 1;
    FadeCounter = QString::number(counter);
    modGlimmertip::SetWindowOpacity(*this, counter);
    if (FadeCounter == Tag) {
        tmrFade.stop();
    }
}

void wGlimmertip::tmrClose_Timer() {
    const QPoint cursor = modGlimmertip::GetCursorPos();
    const QRect r = frameGeometry();
    // The platform's rectangles end after their last pixel; the edge itself counts as outside.
    const bool inside = r.left() < cursor.x() && cursor.x() < r.left() + r.width() &&
                        r.top() < cursor.y() && cursor.y() < r.top() + r.height();
    if (!inside) {
        tmrClose.stop();
        Unload();
    }
}

void wGlimmertip::tmrAutoClose_Timer() {
    tmrAutoClose.stop();
    Unload();
}

void wGlimmertip::Unload() {
    if (unloading_) {
        return;
    }
    unloading_ = true;
    tmrFade.stop();
    // A tick in the fade-out's event pumps must not ask to close again.
    tmrClose.stop();
    tmrAutoClose.stop();
    QPointer<wGlimmertip> self(this);
    if (modAPI::DrawsTranslucent() && !Tag.isEmpty()) {
        for (int alpha = Tag.toInt(); alpha >= 0 && self; --alpha) {
            modGlimmertip::SetWindowOpacity(*this, alpha);
            modGlimmertip::DoEvents();
        }
    }
    if (self) {
        hide();
        deleteLater();
    }
}
