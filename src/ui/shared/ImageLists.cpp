#include "ui/shared/ImageLists.h"

#include <QImageReader>

using namespace Qt::StringLiterals;

namespace ImageLists {

// Read as PNG and nothing else: a reader left to find the format itself first loads every image
// format plugin installed (and the SVG library with them) to ask whether one of them claims it.
QPixmap Picture(const QString& name) {
    QImageReader reader(u":/icons/"_s + name + u".png"_s, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

QList<QIcon> ContactTreeImages() {
    QList<QIcon> images;
    for (const QString& name : {u"tree-users"_s, u"tree-user"_s, u"tree-domains"_s,
                                u"tree-unknown"_s, u"tree-catchall"_s, u"tree-domain"_s}) {
        images << QIcon(Picture(name));
    }
    return images;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (const QString& name : {u"tray"_s, u"tray-32"_s, u"app-64"_s}) {
        icon.addPixmap(Picture(name));
    }
    return icon;
}

QList<QPixmap> ChatStatusImages() {
    QList<QPixmap> images;
    for (const QString& name : {u"chat-sending"_s, u"chat-waiting"_s, u"chat-unused"_s,
                                u"chat-empty"_s, u"chat-error"_s}) {
        images << Picture(name);
    }
    return images;
}

}  // namespace ImageLists
