#include "controls/modShellExecute.h"

#include "platform/ShellLaunch.h"
#include "platform/gui/MessageBox.h"

#include <QCoreApplication>

using namespace Qt::StringLiterals;

namespace modShellExecute {

void ShellExe(const QString& target, const QString& parameters, std::intptr_t ownerWindow,
              long showCommand, const QString& workingDirectory, bool wait) {
    Q_UNUSED(ownerWindow);
    platform::ShellExecuteInfo info;
    info.mask = platform::SEE_MASK_NOCLOSEPROCESS;
    info.verb = u"open"_s;
    info.file = target;
    info.parameters = parameters;
    if (workingDirectory.size() >= 1) {
        info.directory = workingDirectory;
    }
    info.show = int(showCommand);

    const bool started = platform::ShellExecuteExA(info);
    if (wait) {
        platform::WaitForSingleObject(info.process, platform::INFINITE);
        QCoreApplication::processEvents();
    }
    if (!started) {
        platform::MsgBox(u"An unexpected error occured:\r\n    Maybe file doesn't exist?"_s,
                         platform::vbCritical, u"ShellExe()"_s);
    }
}

}  // namespace modShellExecute
