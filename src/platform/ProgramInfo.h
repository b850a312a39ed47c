#pragma once

#include <QString>

namespace sora {

// What the program knows about itself: where it lives and what it is called.
class ProgramInfo
{
public:
    ProgramInfo(QString folder, QString exeName) : m_folder(std::move(folder)), m_exeName(std::move(exeName)) {}

    // The real program: the folder that holds the running executable.
    static ProgramInfo fromRunningExecutable();

    // Folder of the executable, without a trailing separator (except for the root "/").
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
