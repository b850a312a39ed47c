#pragma once

#include "ProgramInfo.h"

namespace sora {

class BrowserFactory;
class EndProcess;
class FolderChooser;
class InputBackend;
class MessageBoxes;
class NotifyIcon;
class ProcessLauncher;
class Recordings;
class StreamProbe;
class SingleInstance;
class SleepInhibitor;
class TitleReader;
class WallClock;

// The parts of the machine the program talks to. main() hands in the real ones; tests hand in
// fakes.
struct Platform
{
    ProgramInfo program;
    SingleInstance& instance;
    MessageBoxes& messages;
    FolderChooser& folders;
    EndProcess& end;
    BrowserFactory& browsers;
    ProcessLauncher& launcher;
    InputBackend& input;
    NotifyIcon& tray;
    StreamProbe& probe;
    Recordings& recordings;
    SleepInhibitor& sleep;
    TitleReader& titles;
    WallClock& clock;
};

} // namespace sora
