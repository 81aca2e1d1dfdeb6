#pragma once

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

// The only way into the settings file. Reads never fail (a missing file, section or key gives
// the default); a write that cannot be made raises platform::RuntimeError.
namespace modINI {

QString ReadINI(const QString& section, const QString& key, const QString& defaultValue,
                const QString& file);
// Every key of a section, case-folded, with its value, in no particular order.
std::vector<std::pair<QString, QString>> ReadINISection(const QString& section,
                                                        const QString& file);
void WriteINI(const QString& section, const QString& key, const QString& value,
              const QString& file);
// File first, then section. Removes the section with every key; non-zero on success.
long DeleteINISection(const QString& file, const QString& section);

}  // namespace modINI
