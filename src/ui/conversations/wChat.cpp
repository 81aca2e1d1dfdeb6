#include "ui/conversations/wChat.h"

#include "contacts/modParse.h"
#include "controls/PictureBox.h"
#include "controls/Readable.h"
#include "controls/modMiscFunctions.h"
#include "core/SharedState.h"
#include "platform/RuntimeError.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/WindowPos.h"
#include "transport/modMailSlots.h"
#include "ui/conversations/Conversations.h"
#include "ui/shared/ImageLists.h"
#include "ui/shared/WindowContext.h"
#include "ui/shared/WindowList.h"
#include "ui/shared/modErrorHelp.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QTextDocument>
#include <QTextEdit>
#include <QtConcurrent/QtConcurrentRun>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

QPixmap Banner() {
    QPixmap banner(214, 19);
    QPainter painter(&banner);
    QLinearGradient fade(0, 0, 214, 0);
    fade.setColorAt(0, QColor(0xc8, 0xd8, 0xf0));
    fade.setColorAt(1, QColor(0xf0, 0xf0, 0xf0));
    painter.fillRect(banner.rect(), fade);
    return banner;
}

// Tab moves on, as in every other box, rather than typing a tab that no message carries.
QTextEdit* TextBox(QWidget* parent, const QString& name, const QString& accessibleName) {
    auto* box = new QTextEdit(parent);
    box->setObjectName(name);
    box->setAccessibleName(accessibleName);
    box->setFont(QFont(u"Arial"_s, 9));
    box->setAcceptRichText(false);
    box->setTabChangesFocus(true);
    return box;
}

QLabel* StripText(QWidget* strip, const QString& name) {
    auto* label = new QLabel(strip);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    return label;
}

}  // namespace

wChat::wChat(WindowContext& context) : context_(context) {
    setObjectName(u"wChat"_s);
    setWindowTitle(u"Message"_s);
    setFont(QFont(u"Tahoma"_s, 8));
    setWindowIcon(ImageLists::ProgramIcon());
    resize(403, 214);

    QFont bold = font();
    bold.setBold(true);
    imgBanner = new QLabel(this);
    imgBanner->setObjectName(u"imgBanner"_s);
    imgBanner->setGeometry(1, 1, 214, 19);
    imgBanner->setPixmap(Banner());
    labH_To = new QLabel(u"To:"_s, this);
    labH_To->setObjectName(u"labH_To"_s);
    labH_To->setFont(bold);
    labH_To->move(5, 4);
    labTo = new QLabel(u"-"_s, this);
    labTo->setObjectName(u"labTo"_s);
    labTo->setGeometry(27, 4, 195, 15);
    labWorkInProgress = new QLabel(u"Extremely work in progress!"_s, this);
    labWorkInProgress->setObjectName(u"labWorkInProgress"_s);
    labWorkInProgress->setFont(bold);
    labWorkInProgress->move(227, 4);
    // The band is a picture: its text takes the colour that reads on it, whatever the theme.
    const QColor band = Readable::AverageOf(imgBanner->pixmap().toImage());
    for (QLabel* label : {labH_To, labTo}) {
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, Readable::On(p.color(QPalette::WindowText), band));
        label->setPalette(p);
    }

    rtbHistory = TextBox(this, u"rtbHistory"_s, u"Conversation"_s);
    rtbHistory->setGeometry(1, 21, 319, 80);
    // Written only by incoming messages, and read with the keys as well as the mouse.
    rtbHistory->setReadOnly(true);
    rtbHistory->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    rtbChat = TextBox(this, u"rtbChat"_s, u"Message to send"_s);
    rtbChat->setGeometry(1, 105, 319, 80);
    rtbChat->installEventFilter(this);
    connect(rtbChat->document(), &QTextDocument::contentsChange, this,
            [this](int from, int, int added) {
                lastInsert_ = {from, added};
            });
    connect(rtbChat, &QTextEdit::textChanged, this, [this] { rtbChat_Change(); });

    cmdSend = new QPushButton(u"Send"_s, this);
    cmdSend->setObjectName(u"cmdSend"_s);
    cmdSend->setGeometry(328, 114, 68, 61);
    cmdSend->setAutoDefault(true);
    connect(cmdSend, &QPushButton::clicked, this, [this] { cmdSend_Click(); });

    picStatus = new PictureBox(this);
    picStatus->setObjectName(u"picStatus"_s);
    // Labels rather than painted text, so that a screen reader reads them and hears them change.
    labStatus = StripText(picStatus, u"labStatus"_s);
    labCounter = StripText(picStatus, u"labCounter"_s);
    imgStatus = new QLabel(picStatus);
    imgStatus->setObjectName(u"imgStatus"_s);
    imgStatus->setGeometry(4, 5, 16, 16);
    labErrorHelp = modErrorHelp::CreateErrorHelpLink(picStatus, [this] {
        modErrorHelp::OpenErrorHelp(context_.state.ErrorHelpPath,
                                    labErrorHelp->property("Tag").toString().toInt());
    });
    labErrorHelp->move(364, 6);
    setTabOrder(rtbChat, cmdSend);
    setTabOrder(cmdSend, labErrorHelp);
    imlImages = ImageLists::ChatStatusImages();

    connect(&sending_, &QFutureWatcher<SendAttempt>::finished, this, [this] { SendFinished(); });

    tmrBringToFront.setInterval(100);
    tmrBringToFront.setSingleShot(true);
    connect(&tmrBringToFront, &QTimer::timeout, this, [this] {
        modMiscFunctions::SetTopMost(this, platform::HWND_NOTOPMOST);
        raise();
    });
    context_.windows.Loaded(this);
}

// Also brings a closed window back as new: empty views, no recipient, the first status.
void wChat::Form_Load() {
    rtbHistory->clear();
    rtbChat->clear();
    RecipientEntry.clear();
    maxChars_ = kMaxChars;
    rtbChat->setReadOnly(false);
    rtbChat->setFocus();
    setWindowTitle(u"Message"_s);
    labTo->setText(u"-"_s);
    modErrorHelp::ShowErrorHelp(this, modErrorHelp::kNoError);
    cmdSend->setEnabled(true);
    counterText_ = QString::number(kMaxChars) + u" chars left"_s;
    SetStatus(1, u"Waiting.."_s);
    modMiscFunctions::SetTopMost(this, platform::HWND_TOPMOST);
    tmrBringToFront.start();
    loaded_ = true;
}

void wChat::SetRecipient(const QString& entry) {
    RecipientEntry = entry;
    const QString address = modParse::GetFieldValue(entry, u"ADDRESS"_s, u"|"_s, u"="_s, {});
    maxChars_ = std::clamp(modMailSlots::TextRoom(modMailSlots::OwnName(), address), 0, kMaxChars);
    UpdateCharsLeft();
}

void wChat::resizeEvent(QResizeEvent*) {
    Form_Resize();
}

// Negative sizes of a very small window are left out rather than applied.
void wChat::Form_Resize() {
    const int sw = width();
    const int sh = height();
    // At a fractional scale only even lengths end on a whole pixel of the screen: a box that
    // ends between two loses its right and bottom border.
    const qreal ratio = devicePixelRatioF();
    const auto whole = [ratio](int v) { return ratio == std::round(ratio) ? v : v & ~1; };
    const auto place = [&whole](QWidget* w, int x, int y, int width, int height) {
        w->setGeometry(whole(x), whole(y), whole(std::max(0, width)), whole(std::max(0, height)));
    };
    if (sh - 109 >= 0 && sw - 84 >= 0) {
        place(rtbChat, rtbChat->x(), sh - 109, sw - 84, rtbChat->height());
    }
    if (sw - 84 >= 0 && sh - 134 >= 0) {
        place(rtbHistory, rtbHistory->x(), rtbHistory->y(), sw - 84, sh - 134);
    }
    if (sw - 75 >= 0 && sh - 100 >= 0) {
        cmdSend->move(sw - 75, sh - 100);
    }
    picStatus->setGeometry(0, sh - 25, sw, 25);
    FitStatus();
}

// The design's places where the texts fit them: the link ends inside the window, the counter
// ends before the link, and the status text, elided if it must be, before the counter.
void wChat::FitStatus() {
    const int sw = width();
    labErrorHelp->move(std::min(sw - 40, sw - labErrorHelp->width() - 2), 6);
    const int right = !labErrorHelp->isHidden() ? labErrorHelp->x() - 6 : sw - 4;
    labCounter->setText(counterText_);
    labCounter->adjustSize();
    labCounter->move(std::min(sw - 117, right - labCounter->width()), 6);
    const int room = std::max(0, labCounter->x() - 6 - 25);
    labStatus->setText(labStatus->fontMetrics().elidedText(statusText_, Qt::ElideRight, room));
    labStatus->setGeometry(25, 6, room, labStatus->sizeHint().height());
}

void wChat::SetStatus(int state, const QString& text) {
    statusState_ = state;
    imgStatus->setPixmap(state >= 0 && state < imlImages.size() ? imlImages[state] : QPixmap());
    statusText_ = text;
    picStatus->setToolTip(text);
    FitStatus();
    picStatus->repaint();
}

// Runs on every key: the count comes from the document without copying its text, and the
// strip is painted with the next frame rather than at once.
void wChat::UpdateCharsLeft() {
    const int typed = rtbChat->document()->characterCount() - 1;
    counterText_ = QString::number(maxChars_ - typed) + u" chars left"_s;
    FitStatus();
}

// Typed, pasted or dropped, what does not fit is cut from what just came in, never from the text
// the box already held.
void wChat::rtbChat_Change() {
    const int typed = rtbChat->document()->characterCount() - 1;
    const int excess = typed - maxChars_;
    if (excess > 0) {
        // A change can count the paragraph end, one past the last position of the text.
        const int end = std::min(lastInsert_.from + lastInsert_.added, typed);
        QTextCursor cursor(rtbChat->document());
        cursor.setPosition(std::max(lastInsert_.from, end - excess));
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        QSignalBlocker quiet(rtbChat);
        cursor.removeSelectedText();
        rtbChat->setTextCursor(cursor);
    }
    // Kept current on every change, pasted text included.
    UpdateCharsLeft();
}

// Installed on the typing box alone.
bool wChat::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        return rtbChat_KeyPress(static_cast<QKeyEvent*>(event)->key());
    }
    return QWidget::eventFilter(watched, event);
}

// True swallows the key.
bool wChat::rtbChat_KeyPress(int key) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter) {
        return false;
    }
    // One line per message: Enter never enters the text.
    if (!rtbChat->toPlainText().isEmpty()) {
        cmdSend_Click();
    }
    return true;
}

bool wChat::Sending() const {
    return !cmdSend->isEnabled();
}

// Once at a time: the button is off and the text fixed until the result is in.
void wChat::cmdSend_Click() {
    if (Sending()) {
        return;
    }
    const QString text = rtbChat->toPlainText();
    if (text.isEmpty()) {
        modErrorHelp::ShowErrorHelp(this, modErrorHelp::kNoMessageToSend);
        SetStatus(3, u"Please enter a message to send."_s);
        return;
    }
    cmdSend->setEnabled(false);
    rtbChat->setReadOnly(true);
    SetStatus(0, u"Sending message.."_s);
    // This machine's name, not a fixed one: it is the address the recipient has for us, so the
    // answer finds its way back into a chat window.
    MailSlotMessage message{
        modMailSlots::OwnName(),
        modParse::GetFieldValue(RecipientEntry, u"ADDRESS"_s, u"|"_s, u"="_s, {}), text};
    sending_.setFuture(
        QtConcurrent::run([slot = context_.state.MailSlotName, message]() mutable -> SendAttempt {
            try {
                return {modMailSlots::SendMailSlotMessage(slot, message), {}};
            } catch (const platform::RuntimeError& e) {
                return {modMailSlots::SendFailed, e.Description()};
            }
        }));
}

// Only a message that went out leaves the box; the text of any failure stays for the user.
void wChat::SendFinished() {
    const SendAttempt attempt = sending_.result();
    const Conversations::SendOutcome outcome =
        Conversations::OutcomeOf(attempt.result, QTime::currentTime());
    rtbChat->setReadOnly(false);
    if (attempt.result == modMailSlots::SendWritten ||
        attempt.result == modMailSlots::SendShortWrite) {
        rtbChat->clear();
    } else {
        // A selection made while the text was fixed would swallow the next key typed.
        rtbChat->moveCursor(QTextCursor::End);
    }
    modErrorHelp::ShowErrorHelp(this, outcome.errorHelpCode);
    SetStatus(outcome.state, outcome.statusText);
    UpdateCharsLeft();
    cmdSend->setEnabled(true);
    if (!attempt.error.isEmpty()) {
        platform::MsgBox(u"Error during cmdSend_Click: "_s + attempt.error, platform::vbExclamation,
                         context_.state.AppName);
    }
}

void wChat::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void wChat::Form_Unload() {
    if (!std::exchange(loaded_, false)) {
        return;
    }
    tmrBringToFront.stop();
}
