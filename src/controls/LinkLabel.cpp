#include "controls/LinkLabel.h"

#include "controls/PictureBox.h"
#include "controls/Readable.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

using namespace Qt::StringLiterals;

LinkLabel::LinkLabel(const QString& text, const QColor& colour, QWidget* parent)
    : QLabel(text, parent), colour_(colour) {
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    Colour();
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        Activate();
    }
}

void LinkLabel::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            Activate();
            break;
        default:
            QLabel::keyPressEvent(event);
    }
}

// A label draws no focus of its own; a link the keys reach must show that they did.
void LinkLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (hasFocus()) {
        QPainter painter(this);
        QStyleOptionFocusRect option;
        option.initFrom(this);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

// A label that takes the focus lays its text out as a document; one that is never shown (the
// "Explain" link until a message is lost) need not pay for that, and only a shown one can be
// reached by the keys.
void LinkLabel::showEvent(QShowEvent* event) {
    QLabel::showEvent(event);
    setFocusPolicy(Qt::StrongFocus);
}

void LinkLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange) {
        Colour();
    }
}

void LinkLabel::Colour() {
    const QWidget* parent = parentWidget() ? parentWidget() : this;
    const auto* strip = qobject_cast<const PictureBox*>(parent);
    const QColor wanted = Readable::On(
        colour_, strip ? strip->Behind() : parent->palette().color(parent->backgroundRole()));
    if (palette().color(QPalette::WindowText) != wanted) {
        QPalette p = palette();
        p.setColor(QPalette::WindowText, wanted);
        setPalette(p);
    }
}

namespace {

class LinkAccessible : public QAccessibleWidget {
public:
    explicit LinkAccessible(LinkLabel* link) : QAccessibleWidget(link, QAccessible::Link) {
        addControllingSignal(u"clicked()"_s);
    }
    QString text(QAccessible::Text t) const override {
        const QString own = QAccessibleWidget::text(t);
        return t == QAccessible::Name && own.isEmpty() ? static_cast<LinkLabel*>(widget())->text()
                                                       : own;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction()) {
            static_cast<LinkLabel*>(widget())->Activate();
        }
    }
};

// A status strip says what it shows: its accessible name is its text.
class StripAccessible : public QAccessibleWidget {
public:
    explicit StripAccessible(QWidget* strip) : QAccessibleWidget(strip, QAccessible::StatusBar) {}
};

QAccessibleInterface* Roles(const QString& className, QObject* object) {
    if (className == u"LinkLabel"_s) {
        return new LinkAccessible(static_cast<LinkLabel*>(object));
    }
    if (className == u"Announcement"_s) {
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Notification);
    }
    if (className == u"PictureBox"_s) {
        return new StripAccessible(static_cast<QWidget*>(object));
    }
    // A window made straight from QWidget; Qt's own window classes name their roles themselves.
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget && widget->isWindow() &&
        className == QLatin1StringView(object->metaObject()->className()) &&
        object->metaObject()->superClass() == &QWidget::staticMetaObject) {
        return new QAccessibleWidget(
            widget, widget->windowType() == Qt::Dialog ? QAccessible::Dialog : QAccessible::Window);
    }
    return nullptr;
}

}  // namespace

void InstallAccessibleRoles() {
    QAccessible::removeFactory(Roles);
    QAccessible::installFactory(Roles);
}
