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

// A failure is told in the handler's words and the window goes on.
template <class Step>
void WindowList::Tell(const QString& handler, Step step) const {
    try {
        step();
    } catch (const platform::RuntimeError& e) {
        platform::MsgBox(HandlerError::Text(handler, e), platform::vbExclamation, state_.AppName);
    }
}

void WindowList::RestorePosition(QWidget& window) {
    Tell(u"Form_Load"_s, [&] {
        FormMetrics metrics(window);
        modWindowMetrics::LoadWindowMetrics(state_.WindowMetricsINIFile, metrics, true, false);
    });
}

void WindowList::UnloadDialog(QWidget& window, bool& openFlag) {
    Tell(u"Form_Unload"_s, [&] {
        FormMetrics metrics(window);
        modWindowMetrics::SaveWindowMetrics(state_.WindowMetricsINIFile, metrics, true, false);
    });
    openFlag = false;
    window.setObjectName({});
}
