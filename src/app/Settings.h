#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace sora {

class EndProcess;
class MessageBoxes;
class ProgramInfo;

// Sets gIniPath: the program folder, a separator unless it already ends in one, and
// the application title with ".ini".
void SettingsFilePath(const ProgramInfo& program);

// The value under section/key of the file at gIniPath, from code page 932; nothing when the
// file, the section or the key is missing or the file cannot be read.
std::optional<QString> ReadSetting(const QString& section, const QString& key);

// Stores one value at gIniPath. False when it did not reach the file: a read-only or unreadable
// file, a read-only or missing folder, a full disk, text that code page 932 cannot hold or that
// one line cannot hold. Inside a SettingsBatch the value waits for the batch's commit.
bool WriteSetting(const QString& section, const QString& key, const QString& value);

// The default file's 25 lines, each ended by CR LF, in code page 932. When the program folder
// has characters that code page 932 cannot hold, the recording folder line is left out: the
// recording folder then falls back to the program folder at each start.
QByteArray DefaultSettingsBytes(const QString& programFolder);

// Writes the default file to gIniPath. False, with the reason in `error`, when it cannot.
bool WriteDefaultSettings(const ProgramInfo& program, QString* error = nullptr);

// A settings write failed: says so and ends the process, so nothing more is written.
[[noreturn]] void SettingsWriteFailed(MessageBoxes& messages, EndProcess& end);

// Gathers the writes made while it lives and puts them into the file in one atomic replace,
// so a save that is cut short leaves either the old file or the new one, never a mix.
class SettingsBatch
{
public:
    SettingsBatch();
    ~SettingsBatch(); // uncommitted writes are dropped
    SettingsBatch(const SettingsBatch&) = delete;
    SettingsBatch& operator=(const SettingsBatch&) = delete;

    // Writes what was gathered; false when the file could not be replaced.
    bool commit();
};

} // namespace sora
