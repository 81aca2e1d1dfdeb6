#pragma once

#include <QString>

#include <optional>

// Handing a file, document or address to the desktop to open: xdg-open stands in for the Windows
// shell. An executable file runs itself with the parameters.
namespace platform {

using ProcessHandle = qint64;  // a process id; 0 for none

inline constexpr unsigned long SEE_MASK_NOCLOSEPROCESS = 0x40;
inline constexpr unsigned long INFINITE = 0xFFFFFFFF;
inline constexpr unsigned long WAIT_OBJECT_0 = 0;
inline constexpr unsigned long WAIT_TIMEOUT = 0x102;
inline constexpr unsigned long WAIT_FAILED = 0xFFFFFFFF;

struct ShellExecuteInfo {
    unsigned long mask = 0;
    QString verb;
    QString file;
    QString parameters;
    std::optional<QString> directory;
    int show = 1;
    ProcessHandle process = 0;  // set when the mask asks for it and a process was started
};

// False when nothing could be started: a local file or working directory that does not exist, an
// unknown verb, an opener that cannot run.
bool ShellExecuteExA(ShellExecuteInfo& info);

// Waits until the process has ended or the time (ms) is up.
unsigned long WaitForSingleObject(ProcessHandle process, unsigned long milliseconds);

// The program that opens documents and addresses ("xdg-open"); tests put in their own.
void SetShellOpener(const QString& program);

}  // namespace platform
