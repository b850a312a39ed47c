#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace sora {

// How the recorder is started for one station: the recorder in the program folder, run from
// there, on the stream address into the recording folder. Each argument reaches the recorder as
// exactly one argument; no shell ever sees them.
struct RecorderCommand
{
    QString program;          // "./streamripper.exe": the one in the working directory
    QString address;          // the stream address, ASCII
    QString folder;           // the recording folder as the settings name it
    QString metadataCodeset = QStringLiteral("UTF-8"); // of the station's titles: "UTF-8", "CP932"
    QString workingDirectory; // the program folder
    QString serv, port, mount; // the page's values the address was built from

    // The address, "-a", "-d" and the folder, then the two options that make it name its files
    // in UTF-8 from UTF-8 station names and read titles in their own character set.
    QStringList arguments() const;
    // The command as one line, for messages and logs; not for a shell.
    QString text() const;
};

// "http://" serv ":" port mount, joined as the page spells them.
QString StreamAddress(const QString& serv, const QString& port, const QString& mount);

// The recorder command for the station page whose address `locationUrl` reports: the address is
// read once per key, as the page may change between reads.
RecorderCommand BuildRecorderCommand(const std::function<QString()>& locationUrl,
                                     const QString& programFolder, const QString& recFolder);
RecorderCommand BuildRecorderCommand(const QString& pageAddress, const QString& programFolder,
                                     const QString& recFolder);

// The recording folder as the recorder will see it: relative folders are taken from the program
// folder, which is the recorder's working directory.
QString ResolvedRecFolder(const RecorderCommand& command);

// Readies the start: checks the recorder file in the program folder and creates a missing
// recording folder with its parents. Why the command cannot start (Japanese, for the user), or
// nothing when it can.
std::optional<QString> RecorderProblem(const RecorderCommand& command);

// What the recorder's environment needs over ours, as KEY=VALUE entries: it writes the station's
// UTF-8 names into file names as its locale reads them, so a locale that is not UTF-8 (per
// LC_ALL, LC_CTYPE, LANG, the first one set) is replaced by C.UTF-8; a UTF-8 one is kept.
QStringList RecorderEnvironment(const QString& lcAll, const QString& lcCtype, const QString& lang);
// The same for this program's own environment.
QStringList RecorderEnvironment();

} // namespace sora
