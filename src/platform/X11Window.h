#pragma once

#include <optional>

class QWidget;

namespace sora::x11 {

// Whether the window manager holds the top-level window iconic (its WM_STATE), read from the X
// server now; nothing when the program does not run on X11.
std::optional<bool> isIconic(QWidget& window);

} // namespace sora::x11
