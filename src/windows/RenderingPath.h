#pragma once

namespace sora {

// Where OpenGL is drawn by the processor anyway, the browser views are drawn by Qt Quick's own
// software renderer: it paints the engine's frames straight into the window, where OpenGL would
// compose them through an emulated graphics pipeline and read them back, at about three times the
// cost of a shown page (bench/RESULTS.md). With graphics hardware, or when the user chose a Qt
// Quick back end (QT_QUICK_BACKEND), nothing changes. Call once the application exists and before
// the first browser view.
void chooseRenderingPath();

} // namespace sora
