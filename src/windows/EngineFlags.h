#pragma once

#include <QByteArray>

namespace sora {

// Flags a user gave the browser engine through QTWEBENGINE_CHROMIUM_FLAGS, which replace the
// program's own: "--process-per-site" (one page process per site, a third less memory for ten
// windows) goes after theirs unless they chose a process model themselves.
QByteArray withProcessPerSite(const QByteArray& userFlags);

// Flags with the engine's own media-keys bridge switched off (the program's media controls stand
// in for it). The engine reads a single "--disable-features=" list, so a user's own list gets the
// feature added rather than a second list beside it.
QByteArray withoutMediaBridge(const QByteArray& flags);

// The engine's audio output buffer: 4096 frames (85 ms at 48 kHz) where its own is about 10 ms.
// The audio and page processes wake for each buffer, so a playing station costs half as much in
// the background and a sixth less shown (bench/RESULTS.md); a radio has no use for low latency.
inline constexpr char kAudioBufferSwitch[] = "--audio-buffer-size=4096";

// Flags with kAudioBufferSwitch after them, unless they size the buffer themselves.
QByteArray withAudioBuffer(const QByteArray& flags);

} // namespace sora
