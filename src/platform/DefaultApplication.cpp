#include "DefaultApplication.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>

namespace sora {

namespace {

// Words of an Exec value: spaces separate them, double quotes hold spaces, and inside quotes a
// backslash escapes '"', '`', '$' and '\'.
QStringList execWords(const QString& exec)
{
    QStringList words;
    QString word;
    bool inWord = false, quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (quoted) {
            if (c == u'\\' && i + 1 < exec.size()) {
                word += exec.at(++i);
            } else if (c == u'"') {
                quoted = false;
            } else {
                word += c;
            }
        } else if (c == u'"') {
            quoted = inWord = true;
        } else if (c == u' ' || c == u'\t') {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words << word;
    return words;
}

// A desktop entry's string value with its escapes undone: \s \n \t \r \\.
QString unescaped(const QString& value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != u'\\' || i + 1 >= value.size()) {
            out += c;
            continue;
        }
        switch (value.at(i + 1).unicode()) {
        case 's': out += u' '; break;
        case 'n': out += u'\n'; break;
        case 't': out += u'\t'; break;
        case 'r': out += u'\r'; break;
        case '\\': out += u'\\'; break;
        default: out += c; continue;
        }
        ++i;
    }
    return out;
}

// The Exec value of a desktop entry found by its id in the data folders, user's first.
QString execOf(const QString& desktopId)
{
    const QString path = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, desktopId);
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    QTextStream in(&file);
    bool inEntry = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(u'['))
            inEntry = line == u"[Desktop Entry]";
        else if (inEntry && line.startsWith(u"Exec") && line.mid(4).trimmed().startsWith(u'='))
            return line.section(u'=', 1).trimmed();
    }
    return QString();
}

} // namespace

QStringList desktopEntryCommand(const QString& exec, const QString& file)
{
    QStringList command;
    bool placed = false;
    for (const QString& word : execWords(unescaped(exec))) {
        QString out;
        for (qsizetype i = 0; i < word.size(); ++i) {
            if (word.at(i) != u'%' || i + 1 >= word.size()) {
                out += word.at(i);
                continue;
            }
            const QChar code = word.at(++i);
            if (code == u'%') {
                out += u'%';
            } else if (QStringLiteral("fFuU").contains(code)) {
                // A file's code may stand inside a word ("--open=%f"); one file for all of them.
                if (!placed)
                    out += file;
                placed = true;
            }
        }
        if (!out.isEmpty())
            command << out;
    }
    if (command.isEmpty())
        return command;
    if (!placed)
        command << file;
    return command;
}

void openWithDefaultApplication(const QString& file, const QString& mimeType, QObject* context,
                                std::function<void(bool)> done)
{
    if (mimeType.isEmpty()) {
        done(false);
        return;
    }
    // Asked without waiting: xdg-mime is a script that may take a moment.
    auto* query = new QProcess(context);
    const auto finish = [query, file, done](bool ran) {
        if (query->property("sora-finished").toBool())
            return; // a failure to start is reported twice: as an error and as a finish
        query->setProperty("sora-finished", true);
        query->deleteLater();
        const QString desktopId =
            ran ? QString::fromLocal8Bit(query->readAllStandardOutput()).section(u'\n', 0, 0).trimmed()
                : QString();
        const QStringList command =
            desktopId.endsWith(u".desktop") ? desktopEntryCommand(execOf(desktopId), file) : QStringList();
        done(!command.isEmpty() &&
             QProcess::startDetached(command.first(), command.mid(1), QDir::homePath()));
    };
    QObject::connect(query, &QProcess::finished, query, [finish](int code, QProcess::ExitStatus status) {
        finish(status == QProcess::NormalExit && code == 0);
    });
    QObject::connect(query, &QProcess::errorOccurred, query, [finish](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            finish(false);
    });
    query->start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), mimeType});
}

} // namespace sora
