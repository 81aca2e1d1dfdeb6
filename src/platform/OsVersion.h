#pragma once

#include <optional>

// The version the system reports. Linux always offers what Windows 5.1 brought (layered windows,
// visual styles); tests make it report older versions to reach the fallbacks.
namespace platform {

struct OsVersion {
    int major = 5;
    int minor = 1;
};

OsVersion GetVersionEx();
// Nothing restores the real answer.
void OverrideOsVersion(std::optional<OsVersion> version);

}  // namespace platform
