#include "SongHistory.h"

#include <QDir>
#include <QFile>

#include <utility>

namespace sora {

namespace {

// Text from the network: any control character would break the line or its fields.
QString field(const QString& text)
{
    QString out = text;
    for (QChar& c : out)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    out = out.trimmed();
    // A spreadsheet takes a field that starts so for a formula or a quoted field: kept as text.
    static const QString kActive = QStringLiteral("=+-@\"'");
    if (!out.isEmpty() && kActive.contains(out.front()))
        out.prepend(QLatin1Char('\''));
    return out;
}

bool endsWithLineBreak(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(file.size() - 1))
        return true;
    char last = 0;
    return !file.getChar(&last) || last == '\n';
}

} // namespace

std::optional<QString> SongHistory::record(const QString& station, const QString& title, const QString& stream)
{
    const QDateTime now = QDateTime::currentDateTime();
    if (append(now, station, title, stream)) {
        m_failed = false;
        return std::nullopt;
    }
    if (std::exchange(m_failed, true))
        return std::nullopt;
    return QStringLiteral("曲名履歴を書き込めません: ") + QDir::toNativeSeparators(path(now.date()));
}

QString SongHistory::fileName(const QDate& month)
{
    return QStringLiteral("曲名履歴-") + month.toString(QStringLiteral("yyyy-MM")) + QStringLiteral(".tsv");
}

QString SongHistory::path(const QDate& month) const
{
    return QDir(m_folder).filePath(fileName(month));
}

QString SongHistory::line(const QDateTime& when, const QString& station, const QString& title,
                          const QString& stream)
{
    return when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QLatin1Char('\t') + field(station) +
           QLatin1Char('\t') + field(title) + QLatin1Char('\t') + field(stream) + QLatin1Char('\n');
}

bool SongHistory::append(const QDateTime& when, const QString& station, const QString& title,
                         const QString& stream)
{
    QFile file(path(when.date()));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    QByteArray bytes = line(when, station, title, stream).toUtf8();
    // A new month's file starts with the names of its columns, for a spreadsheet that opens it.
    if (file.size() == 0)
        bytes.prepend(QStringLiteral("日時\t放送局\t曲名\tアドレス\n").toUtf8());
    else if (!endsWithLineBreak(file.fileName()))
        bytes.prepend('\n'); // a write cut short: the line it left is ended, not joined
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

} // namespace sora
