// The history of titles the player windows heard.
#include "MDIForm1.h"
#include "station/SongHistory.h"
#include "platform/Platform.h"

#include <QDateTime>
#include <QDir>

namespace sora {

void MDIForm1::RecordSong(const QString& station, const QString& title, const QString& stream)
{
    SongHistory history(m_platform.program.folder());
    const QDateTime now = QDateTime::currentDateTime();
    if (history.append(now, station, title, stream)) {
        m_historyFailed = false;
        return;
    }
    // Once: a file that stays unwritable would otherwise cover every other status text.
    if (m_historyFailed)
        return;
    m_historyFailed = true;
    ShowStatusText(QStringLiteral("曲名履歴を書き込めません: ") +
                   QDir::toNativeSeparators(history.path(now.date())));
}

} // namespace sora
