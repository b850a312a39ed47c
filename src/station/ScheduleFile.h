#pragma once

#include "Schedule.h"

#include <QStringList>

namespace sora {

// The scheduled recordings' own file in the program folder: UTF-8 text a person can edit, one
// section "[予約]" per entry with the keys station, address, start ("yyyy-MM-dd HH:mm"),
// minutes, repeat (once, daily, weekdays, days), days ("月,水"), enabled (1 or 0) and handled.
// It is replaced in one step, as the settings file is.
struct ScheduleFile
{
    static QString fileName() { return QStringLiteral("SoraWindowEX-schedule.txt"); }
    static QString pathIn(const QString& programFolder);

    struct Read
    {
        QList<ScheduleEntry> entries; // every entry that could be read
        QStringList problems;         // one line per entry left out, in Japanese
        QString keptAside;            // where the file with problems was copied, if it had any
        QString error;                // why the file could not be read at all
        // The message for the listener, empty when all was read.
        QString message() const;
    };
    // Reads `path`; a missing file holds no entries. A file with entries it cannot read is copied
    // aside first, so the next save loses nothing of what the listener wrote.
    static Read read(const QString& path);
    static QByteArray text(const QList<ScheduleEntry>& entries);
    static bool write(const QString& path, const QList<ScheduleEntry>& entries, QString* error);
};

} // namespace sora
