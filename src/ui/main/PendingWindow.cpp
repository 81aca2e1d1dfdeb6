#include "ui/main/PendingWindow.h"

#include "ui/Forms.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

PendingWindow* PendingWindow::Show(const QString& objectName, const QString& title,
                                   const QString& text, bool* openFlag, QWidget* owner,
                                   bool activate) {
    auto* window = qobject_cast<PendingWindow*>(Forms::Find(objectName));
    if (!window) {
        window = new PendingWindow(title, text, openFlag, owner);
        window->setObjectName(objectName);
        Forms::Loaded(window);
    }
    if (openFlag) {
        *openFlag = true;
    }
    if (activate) {
        window->show();
        window->raise();
        window->activateWindow();
    } else if (!window->isVisible()) {
        window->setAttribute(Qt::WA_ShowWithoutActivating);
        window->show();
    }
    return window;
}

PendingWindow::PendingWindow(const QString& title, const QString& text, bool* openFlag,
                             QWidget* owner)
    : QDialog(owner), openFlag_(openFlag) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    text_ = new QLabel(text, this);
    text_->setWordWrap(true);
    layout->addWidget(text_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    layout->addWidget(buttons);
}

void PendingWindow::AppendLine(const QString& line) {
    if (!log_) {
        log_ = new QPlainTextEdit(this);
        log_->setReadOnly(true);
        static_cast<QVBoxLayout*>(layout())->insertWidget(1, log_);
        resize(qMax(width(), 360), qMax(height(), 240));
    }
    log_->appendPlainText(line);
}

QString PendingWindow::Log() const {
    return log_ ? log_->toPlainText() : QString();
}

void PendingWindow::closeEvent(QCloseEvent* event) {
    // It is deleted later; until then a new request must not bring it back.
    setObjectName(QString());
    if (openFlag_) {
        *openFlag_ = false;
    }
    event->accept();
}
