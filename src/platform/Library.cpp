#include "platform/Library.h"

namespace platform {

ModuleHandle LoadLibraryA(const QString& name) {
    return name.isEmpty() ? 0 : 1;
}

bool FreeLibrary(ModuleHandle module) {
    return module != 0;
}

bool InitCommonControlsEx(unsigned long structSize, unsigned long classes) {
    return structSize == 8 && classes != 0;
}

}  // namespace platform
