#pragma once

#include <QString>

#include <optional>

class MetricsWindow;

// Where windows were and how large, kept under "Window Metrics" in the file given (the state's
// WindowMetricsINIFile). Both routines raise error 9999 when that name is empty.
namespace modWindowMetrics {

inline constexpr long kFileNotSetError = 9999;

// A missing key, or a value that is not a number, leaves that property as it is; a place off
// every screen is then brought onto one.
void LoadWindowMetrics(const QString& file, MetricsWindow& window, bool position, bool size);
// The chosen values in one write of the file.
void SaveWindowMetrics(const QString& file, const MetricsWindow& window, bool position, bool size);

// A stored metric as a whole number of twips; nothing for text that is not a number.
std::optional<long> ParseMetric(const QString& text);

}  // namespace modWindowMetrics
