#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

class wMain;

// The program's windows in the order they were loaded, as the platform's window list keeps
// them; the main window is the first.
namespace Forms {

void SetMain(wMain* window);
wMain* Main();

// Records a window once; a deleted window drops out by itself.
void Loaded(QWidget* window);
QList<QPointer<QWidget>> LoadedWindows();
// The loaded window with that object name, or null.
QWidget* Find(const QString& objectName);

}  // namespace Forms
