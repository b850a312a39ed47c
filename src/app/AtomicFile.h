#pragma once

#include <QByteArray>
#include <QString>

namespace sora {

// Replaces (or creates) `path` with `data` in one step: the bytes go to a temporary file in the
// same folder, which is flushed to disk and renamed over the target, keeping the target's
// permissions. A crash, a kill or a full disk leaves either the old file or the new one.
//
// A file or folder without any write permission bit counts as read-only even for root, so the
// program honours a user who protected the file the same way whoever runs it.
// On failure returns false and, when `error` is given, says why in the program's language.
bool writeFileAtomically(const QString& path, const QByteArray& data, QString* error = nullptr);

} // namespace sora
