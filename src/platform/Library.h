#pragma once

#include <QString>

#include <cstdint>

// Windows needs shell32 loaded and the common controls registered before the windows are made;
// Linux needs neither. The calls keep their places in the start-up and exit order.
namespace platform {

using ModuleHandle = std::intptr_t;

ModuleHandle LoadLibraryA(const QString& name);
bool FreeLibrary(ModuleHandle module);

inline constexpr unsigned long ICC_USEREX_CLASSES = 0x200;
bool InitCommonControlsEx(unsigned long structSize, unsigned long classes);

}  // namespace platform
