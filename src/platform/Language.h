#pragma once

namespace sora {

// The program speaks Japanese whatever the desktop's locale: Qt's own texts (standard buttons,
// the folder chooser, edit menus) come from Qt's Japanese translations, and the browser engine
// starts in Japanese (its error pages, and Accept-Language on every request). Call after the
// application object exists and before the first window or browser view. A missing translation
// file leaves those texts in English and says nothing.
void useJapanese();

} // namespace sora
