#include "RecentSongs.h"

#include "app/Globals.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "station/Icy.h"
#include "station/RecorderFolder.h"
#include "station/SongSpool.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace sora {

namespace {

QString length(qint64 ms)
{
    const qint64 s = ms / 1000;
    return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

QString line(const SongSpool::Song& song)
{
    const QString state = !song.ended        ? QStringLiteral("再生中")
                          : song.fromStart && song.toEnd ? QStringLiteral("全体")
                                                         : QStringLiteral("一部");
    return (song.title.isEmpty() ? QStringLiteral("（曲名なし）") : DecodedTitle(song.title)) + QStringLiteral("　") +
           (song.station.isEmpty() ? song.stream.host() : song.station) + QStringLiteral("　") +
           length(song.milliseconds) + QStringLiteral("　") + state;
}

} // namespace

RecentSongs::RecentSongs(Platform& platform, SongSpool& spool, std::function<QString(const QUrl&)> stationFolder,
                         QWidget* parent)
    : QWidget(parent), m_platform(platform), m_spool(spool), m_stationFolder(std::move(stationFolder)),
      m_list(new QListWidget(this)), m_save(new QPushButton(QStringLiteral("保存"), this)), m_timer(new QTimer(this))
{
    auto* label = new QLabel(QStringLiteral("最近の曲"), this);
    label->setBuddy(m_list);
    m_list->setAccessibleName(QStringLiteral("最近の曲"));
    m_save->setEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_save, 0, Qt::AlignRight);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    // Chosen by the pointer, the keys or a screen reader's selection alike.
    connect(m_list, &QListWidget::itemSelectionChanged, this,
            [this] { m_save->setEnabled(!m_list->selectedItems().isEmpty()); });
    connect(m_save, &QPushButton::clicked, this, &RecentSongs::save);
    // The song playing grows, and the next one comes, while the list is up.
    connect(m_timer, &QTimer::timeout, this, &RecentSongs::refresh);
    m_timer->setInterval(2000);
}

void RecentSongs::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refresh();
    m_timer->start();
}

void RecentSongs::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_timer->stop();
}

void RecentSongs::refresh()
{
    const QList<SongSpool::Song> songs = m_spool.songs();
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    const int chosen = selected.isEmpty() ? 0 : selected.first()->data(Qt::UserRole).toInt();
    // Newest first; the choice stays on its song.
    for (qsizetype i = 0; i < songs.size(); ++i) {
        const SongSpool::Song& song = songs[songs.size() - 1 - i];
        QListWidgetItem* item = m_list->item(int(i));
        if (!item)
            item = new QListWidgetItem(m_list);
        item->setText(line(song));
        item->setData(Qt::UserRole, song.id);
        item->setSelected(song.id == chosen);
    }
    while (m_list->count() > songs.size())
        delete m_list->takeItem(m_list->count() - 1);
    m_save->setEnabled(!m_list->selectedItems().isEmpty());
}

void RecentSongs::save()
{
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty())
        return;
    const int id = selected.first()->data(Qt::UserRole).toInt();
    const QList<SongSpool::Song> songs = m_spool.songs();
    const auto song = std::find_if(songs.cbegin(), songs.cend(), [id](const auto& s) { return s.id == id; });
    std::optional<QString> problem;
    QString target;
    if (song == songs.cend()) {
        problem = QStringLiteral("この曲はもう残っていません。");
    } else if (gRecFolder.isEmpty()) {
        problem = QStringLiteral("録音フォルダが設定されていません。");
    } else {
        QString folder = m_stationFolder(song->stream);
        // Without a recording of the station, its folder as the recorder would name it: after the
        // stream's name, without one its address.
        if (folder.isEmpty())
            folder = RecorderFolder(gRecFolder)
                         .stationFolderNamed(song->station.isEmpty() ? song->stream.host() : song->station);
        // A song not heard whole is marked as the recorder marks its own.
        target = RecorderFolder::trackFile(folder, song->title, song->extension, song->fromStart && song->toEnd);
        problem = m_spool.save(id, target);
    }
    if (problem) {
        m_platform.messages.show(this, *problem, MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    m_platform.messages.show(this, QStringLiteral("曲を保存しました。\r\n") + target, MsgButtons::Ok,
                             MsgIcon::Information);
}

} // namespace sora
