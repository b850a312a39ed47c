#include "ScheduleFile.h"

#include "app/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace sora {

namespace {

constexpr qint64 kMaxFile = 1024 * 1024;
const QString kSection = QStringLiteral("[予約]");
const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm");
const QString kDays = QStringLiteral("月火水木金土日");

const QList<std::pair<ScheduleEntry::Repeat, QString>> kRepeats = {
    {ScheduleEntry::Repeat::Once, QStringLiteral("once")},
    {ScheduleEntry::Repeat::Daily, QStringLiteral("daily")},
    {ScheduleEntry::Repeat::Weekdays, QStringLiteral("weekdays")},
    {ScheduleEntry::Repeat::Days, QStringLiteral("days")}};

// Why the entry's keys make no entry, or empty.
QString parse(const QMap<QString, QString>& keys, ScheduleEntry* entry)
{
    entry->station = keys.value(QStringLiteral("station"));
    entry->address = keys.value(QStringLiteral("address"));
    if (entry->address.isEmpty())
        return QStringLiteral("放送局のアドレス（address）がありません");
    entry->start = QDateTime::fromString(keys.value(QStringLiteral("start")), kTimeFormat);
    if (!entry->start.isValid())
        return QStringLiteral("開始（start）「") + keys.value(QStringLiteral("start")) +
               QStringLiteral("」が yyyy-MM-dd HH:mm の日時ではありません");
    bool number = false;
    entry->minutes = keys.value(QStringLiteral("minutes")).toInt(&number);
    if (!number || entry->minutes < 1 || entry->minutes > 24 * 60)
        return QStringLiteral("長さ（minutes）「") + keys.value(QStringLiteral("minutes")) +
               QStringLiteral("」が 1～1440 の分数ではありません");
    const QString repeat = keys.value(QStringLiteral("repeat"), QStringLiteral("once"));
    const auto found =
        std::find_if(kRepeats.begin(), kRepeats.end(), [&](const auto& r) { return r.second == repeat; });
    if (found == kRepeats.end())
        return QStringLiteral("繰り返し（repeat）「") + repeat +
               QStringLiteral("」が once, daily, weekdays, days のどれでもありません");
    entry->repeat = found->first;
    entry->days = 0;
    for (const QString& day : keys.value(QStringLiteral("days")).split(u',', Qt::SkipEmptyParts)) {
        const qsizetype i = kDays.indexOf(day.trimmed());
        if (day.trimmed().size() != 1 || i < 0)
            return QStringLiteral("曜日（days）「") + day.trimmed() +
                   QStringLiteral("」が月～日ではありません");
        entry->days |= 1 << i;
    }
    if (entry->repeat == ScheduleEntry::Repeat::Days && entry->days == 0)
        return QStringLiteral("曜日（days）がありません");
    entry->enabled = keys.value(QStringLiteral("enabled"), QStringLiteral("1")) != u"0";
    entry->handled = QDateTime::fromString(keys.value(QStringLiteral("handled")), Qt::ISODate);
    return QString();
}

} // namespace

QString ScheduleFile::pathIn(const QString& programFolder)
{
    return QDir(programFolder).filePath(fileName());
}

QString ScheduleFile::Read::message() const
{
    if (!error.isEmpty())
        return error;
    if (problems.isEmpty())
        return QString();
    QString text =
        QStringLiteral("予約録音のファイルに読めない予約があったため、その予約を除いて読み込みました。");
    if (!keptAside.isEmpty())
        text += QStringLiteral("\r\n元のファイルは次の名前で残しました。\r\n") + keptAside;
    return text + QStringLiteral("\r\n\r\n") + problems.join(QStringLiteral("\r\n"));
}

ScheduleFile::Read ScheduleFile::read(const QString& path)
{
    Read result;
    QFile file(path);
    if (!file.exists())
        return result;
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFile) {
        result.error = QStringLiteral("予約録音のファイルを読めません（") +
                       (file.size() > kMaxFile ? QStringLiteral("大きすぎます") : file.errorString()) +
                       QStringLiteral("）。\r\nファイルを直すまで予約は録音も保存もされません。\r\n") + path;
        return result;
    }
    const QByteArray bytes = file.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError())
        result.problems.append(QStringLiteral("UTF-8 で書かれていない文字があります"));

    QList<QMap<QString, QString>> sections;
    QList<int> lines;
    int lineNumber = 0;
    bool stray = false;
    for (QString line : text.split(u'\n')) {
        ++lineNumber;
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            sections.append(QMap<QString, QString>());
            lines.append(lineNumber);
            if (line != kSection)
                sections.last().insert(QStringLiteral("\x01"), line);
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (sections.isEmpty() || eq < 0) {
            stray = true;
            continue;
        }
        sections.last().insert(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
    if (stray)
        result.problems.append(QStringLiteral("「キー=値」でも見出しでもない行があります"));
    for (qsizetype i = 0; i < sections.size(); ++i) {
        ScheduleEntry entry;
        QString problem = sections[i].contains(QStringLiteral("\x01"))
                              ? QStringLiteral("見出し「") + sections[i].value(QStringLiteral("\x01")) +
                                    QStringLiteral("」が ") + kSection + QStringLiteral(" ではありません")
                              : parse(sections[i], &entry);
        if (problem.isEmpty())
            result.entries.append(entry);
        else
            result.problems.append(QStringLiteral("%1 行目の予約: ").arg(lines[i]) + problem);
    }
    if (!result.problems.isEmpty()) {
        const QString aside = path + QStringLiteral(".") +
                              QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")) +
                              QStringLiteral(".bad");
        if (QFile::copy(path, aside))
            result.keptAside = aside;
    }
    return result;
}

QByteArray ScheduleFile::text(const QList<ScheduleEntry>& entries)
{
    QString text = QStringLiteral("; ソラマドの予約録音。1 件ごとに [予約] の見出しで始まります。\n");
    // One line per value, whatever a station's name holds.
    const auto line = [](QString value) { return value.replace(u'\r', u' ').replace(u'\n', u' '); };
    for (const ScheduleEntry& e : entries) {
        QStringList days;
        for (int i = 0; i < 7; ++i)
            if (e.days & (1 << i))
                days.append(kDays.at(i));
        const auto repeat = std::find_if(kRepeats.begin(), kRepeats.end(),
                                         [&](const auto& r) { return r.first == e.repeat; });
        text +=
            u'\n' + kSection + QStringLiteral("\nstation=") + line(e.station) + QStringLiteral("\naddress=") +
            line(e.address) + QStringLiteral("\nstart=") + e.start.toString(kTimeFormat) +
            QStringLiteral("\nminutes=%1").arg(e.minutes) + QStringLiteral("\nrepeat=") + repeat->second +
            QStringLiteral("\ndays=") + days.join(u',') + QStringLiteral("\nenabled=") +
            (e.enabled ? u'1' : u'0') + QStringLiteral("\nhandled=") +
            // With its offset: an hour that a change from summer time repeats stays one moment.
            (e.handled.isValid() ? e.handled.toOffsetFromUtc(e.handled.offsetFromUtc()).toString(Qt::ISODate)
                                 : QString()) +
            u'\n';
    }
    return text.toUtf8();
}

bool ScheduleFile::write(const QString& path, const QList<ScheduleEntry>& entries, QString* error)
{
    QString why;
    if (writeFileAtomically(path, text(entries), &why))
        return true;
    if (error)
        *error =
            QStringLiteral("予約録音のファイルを保存できません（") + why + QStringLiteral("）。\r\n") + path;
    return false;
}

} // namespace sora
