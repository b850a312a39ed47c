#pragma once

#include "platform/NotifyIcon.h"

#include <QString>
#include <QtGlobal>

namespace sora {

// Process-wide values, loaded at start-up and living for the whole run.
extern QString gIniPath;     // full path of the settings file
extern qint16 gTimeInterval; // reload interval of the start pages, minutes
extern QString gUrl1;        // start page of player windows
extern QString gUrl2;        // start page of ping windows
extern QString gRecFolder;   // recording folder; empty unless recording mode is on
extern bool gPremium;        // recording mode, decided once per run
extern NOTIFYICONDATAA gTrayIcon; // the notification icon's record, filled at the end of start-up

// Back to the state before start-up; tests start every case from here.
void resetGlobals();

} // namespace sora
