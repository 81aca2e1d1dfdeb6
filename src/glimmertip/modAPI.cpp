#include "glimmertip/modAPI.h"

#include "platform/OsVersion.h"

namespace modAPI {

long GetWindowsMajorVersion() {
    return platform::GetVersionEx().major;
}

}  // namespace modAPI
