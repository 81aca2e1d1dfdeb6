#pragma once

#include <QIcon>
#include <QList>
#include <QPixmap>

// The pictures that belong to the windows' design, built into the program.
namespace ImageLists {

// A picture of the program's own, by name (":/icons/<name>.png").
QPixmap Picture(const QString& name);

// imlImages16: the contact tree's node pictures, in the order of ContactKeys::Image.
QList<QIcon> ContactTreeImages();
// The program's icon, for the notification area and the window frames.
QIcon ProgramIcon();
// imlImages of a chat window: the pictures of the five status states.
QList<QPixmap> ChatStatusImages();

}  // namespace ImageLists
