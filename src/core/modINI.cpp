#include "core/modINI.h"

#include "platform/ProfileFile.h"

namespace modINI {

QString ReadINI(const QString& section, const QString& key, const QString& defaultValue,
                const QString& file) {
    return platform::GetPrivateProfileString(section, key, defaultValue, file,
                                             platform::kProfileBufferChars);
}

std::vector<std::pair<QString, QString>> ReadINISection(const QString& section,
                                                        const QString& file) {
    return platform::GetPrivateProfileSection(section, file);
}

void WriteINI(const QString& section, const QString& key, const QString& value,
              const QString& file) {
    platform::WritePrivateProfileString(section, key, value, file);
}

long DeleteINISection(const QString& file, const QString& section) {
    platform::WritePrivateProfileString(section, std::nullopt, QString(), file);
    return 1;
}

}  // namespace modINI
