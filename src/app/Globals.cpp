#include "Globals.h"

namespace sora {

QString gIniPath;
qint16 gTimeInterval = 0;
QString gUrl1;
QString gUrl2;
QString gRecFolder;
bool gPremium = false;
NOTIFYICONDATAA gTrayIcon;

void resetGlobals()
{
    gIniPath.clear();
    gTimeInterval = 0;
    gUrl1.clear();
    gUrl2.clear();
    gRecFolder.clear();
    gPremium = false;
}

} // namespace sora
