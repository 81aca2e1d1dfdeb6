#include "core/modWindowMetrics.h"

#include "core/MetricsWindow.h"
#include "core/SettingsKeys.h"
#include "core/modINI.h"
#include "platform/ProfileFile.h"
#include "platform/RuntimeError.h"

#include <climits>
#include <cmath>

using namespace Qt::StringLiterals;

namespace modWindowMetrics {
namespace {

void CheckFileName(const QString& file) {
    if (file.isEmpty()) {
        throw platform::RuntimeError(
            kFileNotSetError, u"modWindowMetrics"_s,
            u"WindowMetricsINIFile within modWindowMetrics needs to have its filename set."_s);
    }
}

QString KeyOf(const MetricsWindow& window, const char* what) {
    return window.Name() + u" Window "_s + QLatin1StringView(what);
}

template <typename Setter>
void Restore(const QString& file, const MetricsWindow& window, const char* what, long current,
             Setter set) {
    const QString text = modINI::ReadINI(SettingsKeys::kWindowMetrics, KeyOf(window, what),
                                         QString::number(current), file);
    if (const auto value = ParseMetric(text)) {
        set(*value);
    }
}

void Write(const QString& file, const MetricsWindow& window, const char* what, long value) {
    modINI::WriteINI(SettingsKeys::kWindowMetrics, KeyOf(window, what), QString::number(value),
                     file);
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

void LoadWindowMetrics(const QString& file, MetricsWindow& window, bool position, bool size) {
    CheckFileName(file);
    if (position) {
        Restore(file, window, "Left", window.Left(), [&](long v) { window.SetLeft(v); });
        Restore(file, window, "Top", window.Top(), [&](long v) { window.SetTop(v); });
    }
    if (size) {
        Restore(file, window, "Width", window.Width(), [&](long v) { window.SetWidth(v); });
        Restore(file, window, "Height", window.Height(), [&](long v) { window.SetHeight(v); });
    }
    window.KeepOnScreen();
}

void SaveWindowMetrics(const QString& file, const MetricsWindow& window, bool position, bool size) {
    CheckFileName(file);
    platform::ProfileBatch batch(file);
    if (position && window.PlaceKnown()) {
        Write(file, window, "Left", window.Left());
        Write(file, window, "Top", window.Top());
    }
    if (size) {
        Write(file, window, "Width", window.Width());
        Write(file, window, "Height", window.Height());
    }
    batch.Commit();
}

}  // namespace modWindowMetrics
