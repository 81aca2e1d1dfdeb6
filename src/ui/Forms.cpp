#include "ui/Forms.h"

#include "ui/main/wMain.h"

namespace Forms {
namespace {

QPointer<wMain>& MainWindow() {
    static QPointer<wMain> window;
    return window;
}

QList<QPointer<QWidget>>& Windows() {
    static QList<QPointer<QWidget>> windows;
    return windows;
}

}  // namespace

void SetMain(wMain* window) {
    MainWindow() = window;
    Loaded(window);
}

wMain* Main() {
    return MainWindow();
}

void Loaded(QWidget* window) {
    QList<QPointer<QWidget>>& windows = Windows();
    windows.removeIf([](const QPointer<QWidget>& w) { return !w; });
    if (window && !windows.contains(window)) {
        windows << window;
    }
}

QList<QPointer<QWidget>> LoadedWindows() {
    QList<QPointer<QWidget>>& windows = Windows();
    windows.removeIf([](const QPointer<QWidget>& w) { return !w; });
    return windows;
}

QWidget* Find(const QString& objectName) {
    for (const QPointer<QWidget>& w : LoadedWindows()) {
        if (w->objectName() == objectName) {
            return w;
        }
    }
    return nullptr;
}

}  // namespace Forms
