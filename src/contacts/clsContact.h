#pragma once

#include <QString>

// One contact: a plain record. Its chat window belongs to the conversations, keyed by the contact's
// key.
class clsContact {
public:
    QString Entry;  // the entry string as read or built; saved back unchanged
    QString Name;
    QString Address;
};
