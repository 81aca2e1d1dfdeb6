#pragma once

#include "platform/KeyedCollection.h"

#include <QList>
#include <QPixmap>
#include <QString>

#include <cstdint>

class QAbstractButton;
class QWidget;

// Helpers the windows share: flags, the always-on-top band, collections, option groups,
// placement without activation, pictures that never fail to load.
namespace modMiscFunctions {

// 1 for any non-zero flag, else 0.
qint16 BoolToInt(long flag);

// Only the Z order changes: HWND_TOPMOST puts the window into the always-on-top band,
// HWND_NOTOPMOST takes it out.
void SetTopMost(QWidget* window, std::intptr_t insertAfter);

// True when the key is taken, letter case aside. The collection is left as it was.
template <typename T>
bool CollectionKeyExists(const platform::KeyedCollection<T>& collection, const QString& key) {
    return collection.Contains(key);
}

// The index of the first checked button, or the default when none is checked.
long SelectedOptionIndex(const QList<QAbstractButton*>& options, long defaultIndex);

// Shows the window at the pixel position, keeping its size, without taking the focus from the
// window that has it.
void ShowFormAt(QWidget* window, long left, long top);

// An empty picture for a file that is missing or cannot be read.
QPixmap LoadPictureSafe(const QString& path);

}  // namespace modMiscFunctions
