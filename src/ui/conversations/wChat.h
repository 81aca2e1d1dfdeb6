#pragma once

#include <QFutureWatcher>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

class PictureBox;
class QLabel;
class QPushButton;
class QTextEdit;
struct WindowContext;

// The conversation with one contact: received lines above, the input box and Send below, the
// outcome of the last send in the status strip. Closing only hides it, so that a later message
// can bring it back through its contact; Form_Load starts it afresh from its design. A send runs
// off the user-interface thread, since finding the recipient may take the resolver seconds.
class wChat : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaxChars = 400;

    explicit wChat(WindowContext& context);

    void Form_Load();
    // Whether Form_Load ran since the window was last closed.
    bool Loaded() const { return loaded_; }
    // Binds the window to the contact's entry string; the input then holds no more than one
    // message from this machine to that address can carry.
    void SetRecipient(const QString& entry);
    int MaxChars() const { return maxChars_; }

    void cmdSend_Click();
    // From Send until its outcome shows.
    bool Sending() const;
    void SetStatus(int state, const QString& text);
    void UpdateCharsLeft();

    QString StatusText() const { return statusText_; }
    QString CounterText() const { return counterText_; }
    int StatusState() const { return statusState_; }

    QString RecipientEntry;

    QLabel* labH_To = nullptr;
    QLabel* labTo = nullptr;
    QLabel* labWorkInProgress = nullptr;
    QLabel* imgBanner = nullptr;
    QTextEdit* rtbHistory = nullptr;
    QTextEdit* rtbChat = nullptr;
    QPushButton* cmdSend = nullptr;
    PictureBox* picStatus = nullptr;
    QLabel* labStatus = nullptr;
    QLabel* labCounter = nullptr;
    QLabel* imgStatus = nullptr;
    QLabel* labErrorHelp = nullptr;
    QList<QPixmap> imlImages;
    QTimer tmrBringToFront;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Resize();
    void Form_Unload();
    void rtbChat_Change();
    bool rtbChat_KeyPress(int key);
    void FitStatus();
    void SendFinished();

    struct SendAttempt {
        int result = 0;
        QString error;  // why the message could not even be made, else empty
    };

    WindowContext& context_;
    QString statusText_;
    QString counterText_;
    int statusState_ = 1;
    int maxChars_ = kMaxChars;
    bool loaded_ = false;
    QFutureWatcher<SendAttempt> sending_;
    struct {
        int from = 0;
        int added = 0;
    } lastInsert_;
};
