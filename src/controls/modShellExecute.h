#pragma once

#include <QString>

#include <cstdint>

// Opens a file, document or address the way the desktop opens it. Parlane and Glimmertip both
// build this source.
namespace modShellExecute {

// A failed launch shows the "ShellExe()" box; the caller learns nothing either way. With wait,
// returns once the started process has ended.
void ShellExe(const QString& target, const QString& parameters, std::intptr_t ownerWindow,
              long showCommand, const QString& workingDirectory, bool wait);

}  // namespace modShellExecute
