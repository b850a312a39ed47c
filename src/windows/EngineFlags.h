#pragma once

#include <QByteArray>

namespace sora {

// Flags a user gave the browser engine through QTWEBENGINE_CHROMIUM_FLAGS, which replace the
// program's own: "--process-per-site" (one page process per site, a third less memory for ten
// windows) goes after theirs unless they chose a process model themselves.
QByteArray withProcessPerSite(const QByteArray& userFlags);

} // namespace sora
