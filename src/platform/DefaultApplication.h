#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QObject;

namespace sora {

// The command line a desktop entry's Exec value (as the file spells it) gives for one local file:
// string escapes and quoting undone, the file in place of %f %F %u %U, also inside a word (after
// the other words when there is none), "%%" a percent sign, other field codes dropped. Empty when
// the value names no program.
QStringList desktopEntryCommand(const QString& exec, const QString& file);

// Opens a local file with the desktop's default application for `mimeType`, as the XDG MIME
// associations name it (xdg-mime query default), rather than by sniffing the file's contents.
// `done` gets false when no application is set for the type or it does not start; it is not
// called once `context` is gone.
void openWithDefaultApplication(const QString& file, const QString& mimeType, QObject* context,
                                std::function<void(bool)> done);

} // namespace sora
