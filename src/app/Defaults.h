#pragma once

#include <QString>
#include <QtGlobal>

namespace sora {

// Window kinds as the settings file names them.
enum WindowKind : int { PlayerWindow = 1, PingWindow = 2 };

// Window states as the settings file names them.
enum WindowStateCode : int { StateNormal = 0, StateMinimized = 1, StateMaximized = 2 };

struct Geometry
{
    double top = 0;
    double left = 0;
    double width = 0;
    double height = 0;
};

// What a first start writes, and what an unusable value falls back to.
namespace defaults {

inline constexpr double MainTop = 0;
inline constexpr double MainLeft = 0;
inline constexpr double MainHeight = 7320;
inline constexpr double MainWidth = 12720;
inline constexpr qint16 TimeInterval = 1;
inline constexpr qint32 Count = 2;

// Windows 1 and 2 of the default file: a player window and a ping window beside it. A window
// of either kind opened from the menu, or restored beyond these two, takes its kind's size.
inline constexpr Geometry PlayerGeometry{0, 0, 5460, 6300};
inline constexpr Geometry PingGeometry{0, 5460, 7080, 6300};

// A damaged Count must not make the program open windows without end.
inline constexpr qint32 MaxRestoredWindows = 100;

inline const Geometry& geometryOf(int kind) { return kind == PlayerWindow ? PlayerGeometry : PingGeometry; }

// The directory server's host[:port] the build names, or empty for the built-in directory.
QString directoryHost();
QString url1();
QString url2();
// The built-in directory's pages are this address followed by the page's name.
QString builtInDirectoryAddress();
// The default recording folder: the program folder as reported, plus the separator.
QString recFolder(const QString& programFolder);

} // namespace defaults
} // namespace sora
