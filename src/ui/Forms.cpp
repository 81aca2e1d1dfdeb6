#include "ui/Forms.h"

#include "controls/FormMetrics.h"
#include "core/HandlerError.h"
#include "core/SharedState.h"
#include "core/modWindowMetrics.h"
#include "platform/gui/MessageBox.h"
#include "ui/main/wMain.h"

using namespace Qt::StringLiterals;

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

void RestorePosition(QWidget& window) {
    try {
        FormMetrics metrics(window);
        modWindowMetrics::LoadWindowMetrics(metrics, true, false);
    } catch (const platform::RuntimeError& e) {
        platform::MsgBox(HandlerError::Text(u"Form_Load"_s, e), platform::vbExclamation,
                         Shared().AppName);
    }
}

void UnloadDialog(QWidget& window, bool& openFlag) {
    try {
        FormMetrics metrics(window);
        modWindowMetrics::SaveWindowMetrics(metrics, true, false);
    } catch (const platform::RuntimeError& e) {
        platform::MsgBox(HandlerError::Text(u"Form_Unload"_s, e), platform::vbExclamation,
                         Shared().AppName);
    }
    openFlag = false;
    window.setObjectName({});
}

}  // namespace Forms
