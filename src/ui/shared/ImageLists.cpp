#include "ui/shared/ImageLists.h"

using namespace Qt::StringLiterals;

namespace ImageLists {

QList<QIcon> ContactTreeImages() {
    QList<QIcon> images;
    for (const QString& name : {u"tree-users"_s, u"tree-user"_s, u"tree-domains"_s,
                                u"tree-unknown"_s, u"tree-catchall"_s, u"tree-domain"_s}) {
        images << QIcon(u":/icons/"_s + name + u".png"_s);
    }
    return images;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (const QString& name : {u"tray"_s, u"tray-32"_s, u"app-64"_s}) {
        icon.addFile(u":/icons/"_s + name + u".png"_s);
    }
    return icon;
}

QList<QPixmap> ChatStatusImages() {
    QList<QPixmap> images;
    for (const QString& name : {u"chat-sending"_s, u"chat-waiting"_s, u"chat-unused"_s,
                                u"chat-empty"_s, u"chat-error"_s}) {
        images << QPixmap(u":/icons/"_s + name + u".png"_s);
    }
    return images;
}

}  // namespace ImageLists
