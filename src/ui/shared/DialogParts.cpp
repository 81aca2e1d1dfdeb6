#include "ui/shared/DialogParts.h"

#include "controls/MultiRule.h"
#include "ui/shared/ImageLists.h"

#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace DialogParts {

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
    return button;
}

}  // namespace DialogParts
