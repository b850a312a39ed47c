#pragma once

#include <optional>

namespace sora {

// What a window's size event changes, in twips. Unset fields stay as they are.
struct WindowLayout
{
    std::optional<double> browserHeight;
    std::optional<double> browserWidth;
    std::optional<double> windowHeight; // a normal window too low is snapped back to this
    std::optional<double> frameWidth;   // title strip, recording mode only
    std::optional<double> titleWidth;
    std::optional<double> recLeft;
};

// Player window: `recEnabled` is the record button's state, which doubles as "a titled station
// page is open" and gives the browser room below the title strip.
WindowLayout playerLayout(double width, double height, int windowState, bool premium, bool recEnabled);

// Ping window: one browser filling the window.
WindowLayout pingLayout(double width, double height, int windowState);

} // namespace sora
