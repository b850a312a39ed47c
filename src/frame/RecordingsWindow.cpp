#include "RecordingsWindow.h"

#include "RecentSongs.h"
#include "station/SongSpool.h"
#include "station/NowPlaying.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"

#include <QDesktopServices>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScrollArea>
#include <QUrl>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace sora {

namespace {

QString elapsed(qint64 seconds)
{
    seconds = std::max<qint64>(0, seconds);
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

QString RecordingDetails(const Recording& recording, const QDateTime& now,
                         const RecorderFolder::Progress* progress)
{
    const QString pending = QStringLiteral("（確認中）");
    QString track = progress ? progress->track : pending;
    if (track.isEmpty())
        track = QStringLiteral("（まだありません）");
    return QStringLiteral("放送局: ") +
           (recording.station.isEmpty() ? QStringLiteral("（不明）") : recording.station) +
           QStringLiteral("\nアドレス: ") + recording.address + QStringLiteral("\n開始: ") +
           recording.started.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")) + QStringLiteral("（経過 ") +
           elapsed(recording.started.secsTo(now)) + QStringLiteral("）\n録音フォルダ: ") + recording.folder +
           QStringLiteral("\n書き込み済み: ") +
           (progress ? QLocale(QLocale::Japanese).formattedDataSize(progress->bytes) : pending) +
           QStringLiteral("\n現在の曲: ") + track;
}

RecordingsWindow::RecordingsWindow(Platform& platform, QHash<QString, QString>& stationFolders)
    : QWidget(nullptr, Qt::Window), m_platform(platform), m_rows(new QVBoxLayout),
      m_empty(new QLabel(QStringLiteral("録音していません。"))), m_missed(new QLabel),
      m_stationFolders(stationFolders)
{
    setWindowTitle(caption());
    setWindowIcon(QIcon(QStringLiteral(":/sora/SoraWindowEX.png")));
    setAttribute(Qt::WA_DeleteOnClose);
    m_empty->setWordWrap(true);
    auto* inner = new QWidget;
    inner->setLayout(m_rows);
    m_rows->addWidget(m_empty);
    m_rows->addStretch(1);
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setWidget(inner);
    auto* schedule = new QPushButton(QStringLiteral("予約録音…"));
    connect(schedule, &QPushButton::clicked, this, &RecordingsWindow::scheduleRequested);
    m_missed->setTextFormat(Qt::PlainText);
    m_missed->setWordWrap(true);
    m_missed->setAccessibleName(QStringLiteral("未録音"));
    m_missed->setVisible(false);
    auto* commands = new QHBoxLayout;
    commands->setContentsMargins(6, 6, 6, 0);
    commands->addWidget(schedule);
    commands->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(commands);
    layout->addWidget(m_missed);
    layout->addWidget(scroll);
    if (const std::shared_ptr<SongSpool> spool = SongSpool::current()) {
        m_spool = spool;
        layout->addWidget(new RecentSongs(
            platform, *spool,
            [this](const QUrl& stream) {
                for (const Recording& r : m_platform.recordings.running()) {
                    if (SameStream(QUrl(r.address), stream))
                        return stationFolder(r);
                }
                return QString();
            },
            this));
        resize(520, 520);
    } else {
        resize(520, 320);
    }
    connect(&m_reading, &QFutureWatcher<Progress>::finished, this, [this] {
        m_progress = m_reading.result();
        showDetails();
        emit progressShown();
    });
}

void RecordingsWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refresh(m_platform.recordings.running());
}

QString RecordingsWindow::stationFolder(const Recording& recording)
{
    QString folder = m_stationFolders.value(recording.id);
    if (folder.isEmpty()) {
        folder = RecorderFolder(recording.folder).stationFolderOf(m_platform.recordings.openFiles(recording));
        if (!folder.isEmpty())
            m_stationFolders.insert(recording.id, folder);
    }
    return folder;
}

void RecordingsWindow::setMissed(const QStringList& lines)
{
    m_missed->setText(lines.join(u'\n'));
    m_missed->setVisible(!lines.isEmpty());
}

void RecordingsWindow::refresh(const QList<Recording>& recordings)
{
    QStringList ids, shownIds;
    for (const Recording& r : recordings)
        ids.append(r.id);
    for (const Recording& r : std::as_const(m_shown))
        shownIds.append(r.id);
    // A recording's state folder that is not the user's own is said instead of the list.
    const QString problem = m_platform.recordings.problem();
    m_empty->setText(problem.isEmpty() ? QStringLiteral("録音していません。") : problem);
    if (ids != shownIds || m_details.isEmpty())
        rebuild(recordings);
    m_shown = recordings;
    showDetails();
    readProgress();
}

void RecordingsWindow::showDetails()
{
    const QDateTime now = QDateTime::currentDateTime();
    for (qsizetype i = 0; i < m_shown.size() && i < m_details.size(); ++i) {
        const auto progress = m_progress.constFind(m_shown[i].id);
        m_details[i]->setText(
            RecordingDetails(m_shown[i], now, progress == m_progress.cend() ? nullptr : &progress.value()));
    }
}

void RecordingsWindow::readProgress()
{
    // One reading at a time: a slow folder skips refreshes instead of piling them up.
    if (m_reading.isRunning() || m_shown.isEmpty())
        return;
    QList<std::pair<QString, QString>> folders; // id, station folder
    QList<QDateTime> since;
    for (const Recording& r : std::as_const(m_shown)) {
        folders.append({r.id, stationFolder(r)});
        since.append(r.started);
    }
    m_reading.setFuture(QtConcurrent::run([folders, since] {
        Progress progress;
        for (qsizetype i = 0; i < folders.size(); ++i)
            progress.insert(folders[i].first, RecorderFolder::progress(folders[i].second, since[i]));
        return progress;
    }));
}

void RecordingsWindow::rebuild(const QList<Recording>& recordings)
{
    while (m_rows->count() > 2) {
        QLayoutItem* item = m_rows->takeAt(1);
        delete item->widget();
        delete item;
    }
    m_details.clear();
    m_empty->setVisible(recordings.isEmpty());
    int row = 1;
    for (const Recording& r : recordings) {
        auto* frame = new QFrame;
        frame->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
        frame->setAccessibleName(r.station);
        auto* details = new QLabel;
        details->setTextFormat(Qt::PlainText);
        details->setTextInteractionFlags(Qt::TextSelectableByMouse);
        details->setWordWrap(true);
        auto* stopButton = new QPushButton(QStringLiteral("停止"));
        stopButton->setAccessibleDescription(r.station);
        auto* open = new QPushButton(QStringLiteral("フォルダを開く"));
        open->setAccessibleDescription(r.station);
        auto* buttons = new QVBoxLayout;
        buttons->addWidget(stopButton);
        buttons->addWidget(open);
        buttons->addStretch(1);
        auto* line = new QHBoxLayout(frame);
        line->addWidget(details, 1);
        line->addLayout(buttons);
        connect(stopButton, &QPushButton::clicked, this, [this, r, stopButton] { stop(r, stopButton); });
        connect(open, &QPushButton::clicked, this, [this, r] {
            // Never a place the stream named: the recorder's own station folder, else the
            // recording folder the user chose.
            const QString station = stationFolder(r);
            QDesktopServices::openUrl(QUrl::fromLocalFile(station.isEmpty() ? r.folder : station));
        });
        m_details.append(details);
        m_rows->insertWidget(row++, frame);
    }
}

void RecordingsWindow::stop(const Recording& recording, QPushButton* button)
{
    button->setEnabled(false);
    QString error;
    if (!m_platform.recordings.stop(recording, &error)) {
        QPointer<QPushButton> again(button);
        m_platform.messages.show(this, QStringLiteral("録音を停止できません。\r\n") + error, MsgButtons::Ok,
                                 MsgIcon::Information);
        // The row may have gone while the message was up, with the recording.
        if (again)
            again->setEnabled(true);
        refresh(m_platform.recordings.running());
        return;
    }
    emit stopped(recording.id);
}

} // namespace sora
