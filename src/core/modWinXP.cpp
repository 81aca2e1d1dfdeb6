#include "core/modWinXP.h"

#include "platform/Library.h"

namespace modWinXP {

bool InitCommonControlsVB() {
    try {
        return platform::InitCommonControlsEx(8, platform::ICC_USEREX_CLASSES);
    } catch (...) {
        return false;
    }
}

}  // namespace modWinXP
