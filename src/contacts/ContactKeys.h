#pragma once

#include <QString>

// Keys of the contact tree's fixed nodes and of contacts, and the node pictures by position in
// the tree's image list. A contact's key is the same in the tree and in its collection.
namespace ContactKeys {

inline const QString kUnknown = QStringLiteral("_unknown");
inline const QString kCatchAll = QStringLiteral("_unknown_catchall");
inline const QString kUsers = QStringLiteral("_users");
inline const QString kDomains = QStringLiteral("_domains");
inline const QString kUserPrefix = QStringLiteral("_users_");
inline const QString kDomainPrefix = QStringLiteral("_domains_");

enum Image {
    kImageUsers = 0,
    kImageUser,
    kImageDomains,
    kImageUnknown,
    kImageCatchAll,
    kImageDomain
};

inline bool IsGroupKey(const QString& key) {
    return key == kUsers || key == kDomains || key == kUnknown || key == kCatchAll;
}

}  // namespace ContactKeys
