#include "Form2.h"

#include "Layout.h"
#include "WebBrowser.h"
#include "app/Defaults.h"

namespace sora {

Form2::Form2(MDIForm1& main, BrowserFactory& browsers)
    : ChildWindow(main, browsers, caption(), defaults::PingGeometry)
{
    WebBrowser1->SetPlace(0, 0, 4215, 2775);
}

void Form2::Form_Resize() { applyLayout(pingLayout(Width(), Height(), WindowState())); }

} // namespace sora
