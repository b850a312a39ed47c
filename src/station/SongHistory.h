#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

#include <optional>

namespace sora {

// The history of titles heard: one UTF-8, tab-separated text file a month in the program folder
// (曲名履歴-2026-12.tsv), one line a title: date and time, station, title, stream address.
class SongHistory
{
public:
    explicit SongHistory(QString folder) : m_folder(std::move(folder)) {}

    static QString fileName(const QDate& month);
    // The line for one title, with its line break; tabs and line breaks inside a field become
    // spaces, so every line keeps its four fields; a field a spreadsheet would take for a formula
    // or a quoted field (=, +, -, @ or a quote first) gets a ' before it.
    static QString line(const QDateTime& when, const QString& station, const QString& title,
                        const QString& stream);

    // Appends the line to its month's file at once, and closes it: a crash afterwards loses
    // nothing. False when the file cannot be written.
    bool append(const QDateTime& when, const QString& station, const QString& title, const QString& stream);
    QString path(const QDate& month) const;

    // Appends a title heard now. What to say of a failure (Japanese, for the status bar), only
    // the first time after a success: a file that stays unwritable would otherwise cover every
    // other status text.
    std::optional<QString> record(const QString& station, const QString& title, const QString& stream);

private:
    QString m_folder;
    bool m_failed = false;
};

} // namespace sora
