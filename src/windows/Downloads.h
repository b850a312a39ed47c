#pragma once

#include <QString>

namespace sora {

// The extension a downloaded playlist is saved with (".pls", ".m3u", ".m3u8", ".asx", ".xspf"), so
// the desktop opens it with the listener's player; empty when the file is no playlist. The name's
// own playlist extension wins, then the type the server sent.
QString playlistExtension(const QString& mimeType, const QString& fileName);

// A name in `folder` that no file has yet: `name` itself, else "stem (1).ext", "stem (2).ext", …
QString freeFileName(const QString& folder, const QString& name);

} // namespace sora
