#pragma once

#include "Defaults.h"

#include <QList>
#include <QString>

namespace sora {

// The layout as the settings file holds it, read the way start-up uses it: every value that is
// missing or unusable is its key's default (for windows 1 and 2 the default file's, for later
// windows their kind's), and a later window whose kind cannot be read is left out.

struct SavedMain
{
    Geometry geometry;
    qint16 interval = defaults::TimeInterval;
    QString url1; // never written: the start pages are only read
    QString url2;
};

struct SavedWindow
{
    int index = 0; // its number in the file
    int kind = PlayerWindow;
    int state = StateNormal;
    Geometry geometry; // applied only to a window that opens in the normal state
};

SavedMain ReadSavedMain();
// Windows to restore: Count, at most defaults::MaxRestoredWindows, none when not positive.
qint32 ReadSavedCount();
// Windows 1 to `count`, in their order.
QList<SavedWindow> ReadSavedWindows(qint32 count);
// The recording folder, or the default one (the program folder) when missing or empty.
QString ReadRecFolder(const QString& programFolder);

// Writes the layout the way the program saves at exit: the main window's geometry, Count, the
// interval, then six keys per window in their order, all in one atomic replace of the file. False
// when a key cannot be stored (the keys before it are written) or the file cannot be replaced.
// Keys of windows beyond Count stay in the file; Count says how many are read.
bool WriteSavedLayout(const SavedMain& main, const QList<SavedWindow>& windows);

} // namespace sora
