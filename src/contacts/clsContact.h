#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

// One contact: a plain record. The chat window stays referred to after it was closed, so the
// conversation can be brought back.
class clsContact {
public:
    QPointer<QObject> frmChat;
    QString Buffer;  // the entry string as read or built; saved back unchanged
    QString Name;
    QString Address;
};
