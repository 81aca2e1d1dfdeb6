#include "controls/modMiscFunctions.h"

#include "platform/gui/WindowPos.h"

#include <QAbstractButton>
#include <QImageReader>
#include <QWidget>

namespace modMiscFunctions {

qint16 BoolToInt(long flag) {
    return flag != 0 ? 1 : 0;
}

void SetTopMost(QWidget* window, std::intptr_t insertAfter) {
    platform::SetWindowPos(window, insertAfter, 0, 0, 0, 0,
                           platform::SWP_NOSIZE | platform::SWP_NOMOVE);
}

long SelectedOptionIndex(const QList<QAbstractButton*>& options, long defaultIndex) {
    for (qsizetype i = 0; i < options.size(); ++i) {
        if (options[i] && options[i]->isChecked()) {
            return long(i);
        }
    }
    return defaultIndex;
}

void ShowFormAt(QWidget* window, long left, long top) {
    if (!window) {
        return;
    }
    window->ensurePolished();
    // Sizes are whole pixels here, so the design's twips round trip changes nothing.
    const QSize size = window->frameGeometry().size();
    platform::SetWindowPos(window, platform::HWND_TOP, int(left), int(top), size.width(),
                           size.height(), platform::SWP_SHOWWINDOW | platform::SWP_NOACTIVATE);
}

QPixmap LoadPictureSafe(const QString& path) {
    QImageReader reader(path);
    const QImage image = reader.read();
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image);
}

}  // namespace modMiscFunctions
