#include "core/modWindowMetrics.h"

#include "core/MetricsWindow.h"
#include "core/SettingsKeys.h"
#include "core/SharedState.h"
#include "core/modINI.h"
#include "platform/ProfileFile.h"
#include "platform/RuntimeError.h"

#include <climits>
#include <cmath>

using namespace Qt::StringLiterals;

namespace modWindowMetrics {
namespace {

void CheckFileName() {
    if (Shared().WindowMetricsINIFile.isEmpty()) {
        throw platform::RuntimeError(
            kFileNotSetError, u"modWindowMetrics"_s,
            u"WindowMetricsINIFile within modWindowMetrics needs to have its filename set."_s);
    }
}

QString KeyOf(const MetricsWindow& window, const char* what) {
    return window.Name() + u" Window "_s + QLatin1StringView(what);
}

template <typename Setter>
void Restore(const MetricsWindow& window, const char* what, long current, Setter set) {
    const QString text = modINI::ReadINI(SettingsKeys::kWindowMetrics, KeyOf(window, what),
                                         QString::number(current), Shared().WindowMetricsINIFile);
    if (const auto value = ParseMetric(text)) {
        set(*value);
    }
}

void Write(const MetricsWindow& window, const char* what, long value) {
    modINI::WriteINI(SettingsKeys::kWindowMetrics, KeyOf(window, what), QString::number(value),
                     Shared().WindowMetricsINIFile);
}

}  // namespace

std::optional<long> ParseMetric(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < double(INT_MIN) || value > double(INT_MAX)) {
        return std::nullopt;
    }
    return long(std::lround(value));
}

void LoadWindowMetrics(MetricsWindow& window, bool position, bool size) {
    CheckFileName();
    if (position) {
        Restore(window, "Left", window.Left(), [&](long v) { window.SetLeft(v); });
        Restore(window, "Top", window.Top(), [&](long v) { window.SetTop(v); });
    }
    if (size) {
        Restore(window, "Width", window.Width(), [&](long v) { window.SetWidth(v); });
        Restore(window, "Height", window.Height(), [&](long v) { window.SetHeight(v); });
    }
    window.KeepOnScreen();
}

void SaveWindowMetrics(const MetricsWindow& window, bool position, bool size) {
    CheckFileName();
    platform::ProfileBatch batch(Shared().WindowMetricsINIFile);
    if (position) {
        Write(window, "Left", window.Left());
        Write(window, "Top", window.Top());
    }
    if (size) {
        Write(window, "Width", window.Width());
        Write(window, "Height", window.Height());
    }
    batch.Commit();
}

}  // namespace modWindowMetrics
