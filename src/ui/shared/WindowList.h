#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

struct SharedState;

// The program's windows in the order they were loaded, as the platform's window list keeps
// them; the main window is the first. It also places and unloads the dialogs that remember
// where they were, in the state's window metrics file.
class WindowList {
public:
    explicit WindowList(const SharedState& state) : state_(state) {}

    // Records a window once; a deleted window drops out by itself.
    void Loaded(QWidget* window);
    QList<QPointer<QWidget>> LoadedWindows();
    // The loaded window with that object name, or null.
    QWidget* Find(const QString& objectName);

    // The loaded window of that name, or a new one from make (which also loads it); shown in
    // front with the focus either way.
    template <class Window, class Make>
    Window* OpenInFront(const QString& objectName, Make make) {
        auto* window = qobject_cast<Window*>(Find(objectName));
        if (!window) {
            window = make();
        }
        window->show();
        window->raise();
        window->activateWindow();
        return window;
    }

    // A dialog's remembered position; a failure is shown and the dialog opens where it is.
    void RestorePosition(QWidget& window);

    // The unload of a dialog that remembers its place: saves its position (a failure is shown,
    // the dialog closes all the same), clears its open flag, and drops its name, so that a
    // request before its deletion makes a new one.
    void UnloadDialog(QWidget& window, bool& openFlag);

private:
    template <class Step>
    void Tell(const QString& handler, Step step) const;

    const SharedState& state_;
    QList<QPointer<QWidget>> windows_;
};
