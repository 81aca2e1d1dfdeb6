#include "ui/shared/WindowList.h"

#include "controls/FormMetrics.h"
#include "core/HandlerError.h"
#include "core/SharedState.h"
#include "core/modWindowMetrics.h"
#include "platform/gui/MessageBox.h"

using namespace Qt::StringLiterals;

void WindowList::Loaded(QWidget* window) {
    windows_.removeIf([](const QPointer<QWidget>& w) { return !w; });
    if (window && !windows_.contains(window)) {
        windows_ << window;
    }
}

QList<QPointer<QWidget>> WindowList::LoadedWindows() {
    windows_.removeIf([](const QPointer<QWidget>& w) { return !w; });
    return windows_;
}

QWidget* WindowList::Find(const QString& objectName) {
    for (const QPointer<QWidget>& w : LoadedWindows()) {
        if (w->objectName() == objectName) {
            return w;
        }
    }
    return nullptr;
}

void WindowList::RestorePosition(QWidget& window) {
    try {
        FormMetrics metrics(window);
        modWindowMetrics::LoadWindowMetrics(state_.WindowMetricsINIFile, metrics, true, false);
    } catch (const platform::RuntimeError& e) {
        platform::MsgBox(HandlerError::Text(u"Form_Load"_s, e), platform::vbExclamation,
                         state_.AppName);
    }
}

void WindowList::UnloadDialog(QWidget& window, bool& openFlag) {
    try {
        FormMetrics metrics(window);
        modWindowMetrics::SaveWindowMetrics(state_.WindowMetricsINIFile, metrics, true, false);
    } catch (const platform::RuntimeError& e) {
        platform::MsgBox(HandlerError::Text(u"Form_Unload"_s, e), platform::vbExclamation,
                         state_.AppName);
    }
    openFlag = false;
    window.setObjectName({});
}
