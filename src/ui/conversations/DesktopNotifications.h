#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>

// The desktop's notifications of new messages (org.freedesktop.Notifications on the session
// bus): one for each conversation, each replacing the one before it. Nothing waits for the
// server, and without one nothing happens.
class DesktopNotifications : public QObject {
    Q_OBJECT

public:
    // Called with the conversation's key when the user activates its notification.
    using Activated = std::function<void(const QString& conversation)>;

    explicit DesktopNotifications(Activated onActivated);

    // The sender's name as the summary and the first line of the text as the body.
    void Post(const QString& conversation, const QString& sender, const QString& text);

private slots:
    void ActionInvoked(uint id, const QString& action);
    void ActivationToken(uint id, const QString& token);

private:
    void Connect();

    Activated onActivated_;
    QHash<QString, uint> ids_;  // the server's id of each conversation's notification
    bool markup_ = true;        // whether the server reads the body as markup
    QVariant icon_;             // the program's icon as the hint carries it
};
