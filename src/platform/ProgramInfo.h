#pragma once

#include <QString>

namespace sora {

// What the program knows about itself: where it lives and what it is called.
class ProgramInfo
{
public:
    ProgramInfo(QString folder, QString exeName) : m_folder(std::move(folder)), m_exeName(std::move(exeName)) {}

    // The real program, in the program folder that programFolder() picks for its executable.
    static ProgramInfo fromRunningExecutable();

    // The program folder for an executable in exeFolder: exeFolder itself when the user may write
    // it, else userFolder(), created here when missing. A user folder that cannot be created is
    // left to the first settings write to report, with its path.
    static QString programFolder(const QString& exeFolder);
    // $XDG_DATA_HOME/sorawindowex, ~/.local/share/sorawindowex by default.
    static QString userFolder();
    // True when the program may keep its files in folder.
    static bool isWritableFolder(const QString& folder);

    // The program folder (see programFolder()), without a trailing separator (except for the root "/").
    const QString& folder() const { return m_folder; }
    // Base name of the executable, without any extension.
    const QString& exeName() const { return m_exeName; }
    // The application title: names the settings file and titles every message box.
    static QString title() { return QStringLiteral("SoraWindowEX"); }

private:
    QString m_folder;
    QString m_exeName;
};

} // namespace sora
