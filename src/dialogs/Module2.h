#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace sora {

// readme2.txt: how to obtain the recorder and start the program in recording mode.

// Its 36 lines.
QStringList ReadmeLines();
// The file's bytes: every line in code page 932, each followed by CR LF.
QByteArray ReadmeBytes();
QString ReadmePath(const QString& programFolder);

// Writes readme2.txt into the program folder, replacing any earlier one in one step. False,
// with the reason in `error`, when it cannot (a read-only folder, a full disk).
bool WriteReadme(const QString& programFolder, QString* error = nullptr);

} // namespace sora
