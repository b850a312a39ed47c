#include "Form2.h"

#include "Layout.h"
#include "app/Defaults.h"
#include "platform/WebBrowser.h"

namespace sora {

Form2::Form2(BrowserFactory& browsers)
    : ChildWindow(browsers, caption(), defaults::PingGeometry)
{
    WebBrowser1->SetPlace(0, 0, 4215, 2775);
}

void Form2::Form_Resize() { applyLayout(pingLayout(Width(), Height(), WindowState())); }

} // namespace sora
