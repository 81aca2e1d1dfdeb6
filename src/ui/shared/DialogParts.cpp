#include "ui/shared/DialogParts.h"

#include "controls/MultiRule.h"
#include "ui/shared/ImageLists.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace DialogParts {

namespace {

// Return that no part of the window took for itself (a box, a check box, a list) reaches the
// window, which presses its default button.
class ReturnPresses : public QObject {
public:
    ReturnPresses(QWidget& window, QPushButton* button) : QObject(&window), button_(button) {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if ((key == Qt::Key_Return || key == Qt::Key_Enter) && button_->isEnabled()) {
                button_->click();
                return true;
            }
        }
        return false;
    }

private:
    QPushButton* button_;
};

}  // namespace

void SetUp(QWidget& window, const QString& name, const QString& title, QSize size) {
    window.setObjectName(name);
    window.setAttribute(Qt::WA_DeleteOnClose);
    window.setWindowTitle(title);
    window.setWindowIcon(ImageLists::ProgramIcon());
    window.setFont(QFont(u"Tahoma"_s, 8));
    window.setFixedSize(size);
}

QLabel* Label(QWidget* parent, const QString& name, const QString& text, const QRect& at,
              bool bold) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(at);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    return label;
}

QLabel* HeaderBand(QWidget* parent, const QString& name, const QRect& at) {
    QLabel* band = Label(parent, name, {}, at);
    band->setAutoFillBackground(true);
    band->setBackgroundRole(QPalette::Base);
    return band;
}

MultiRule* Rule(QWidget* parent, const QString& name, const QRect& at) {
    auto* rule = new MultiRule(parent);
    rule->setObjectName(name);
    rule->setGeometry(at);
    return rule;
}

QPushButton* Button(QWidget* parent, const QString& name, const QString& text,
                    const QString& toolTip, const QRect& at) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setToolTip(toolTip);
    button->setGeometry(at);
    // Return presses the button that has the focus, as Space does.
    button->setAutoDefault(true);
    return button;
}

void DefaultButton(QWidget& window, QPushButton* button) {
    button->setDefault(true);
    new ReturnPresses(window, button);
}

}  // namespace DialogParts
