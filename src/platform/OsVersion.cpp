#include "platform/OsVersion.h"

namespace platform {
namespace {
std::optional<OsVersion>& Override() {
    static std::optional<OsVersion> version;
    return version;
}
}  // namespace

OsVersion GetVersionEx() {
    return Override().value_or(OsVersion{});
}

void OverrideOsVersion(std::optional<OsVersion> version) {
    Override() = version;
}

}  // namespace platform
