#include "RecordingsWindow.h"

#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "windows/RecordingCheck.h"

#include <QDesktopServices>
#include <QDir>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScrollArea>
#include <QUrl>
#include <QVBoxLayout>

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

QString currentTrackOf(const Recording& recording)
{
    const QString station = Recordings::stationFolderPath(recording);
    if (station.isEmpty())
        return QString();
    QList<FileEntry> entries;
    for (const QFileInfo& info : QDir(station + QStringLiteral("/incomplete")).entryInfoList(QDir::Files))
        entries.append({info.fileName(), info.lastModified()});
    return CurrentTrack(entries);
}

} // namespace

QString RecordingDetails(const Recording& recording, const QDateTime& now)
{
    const QString track = currentTrackOf(recording);
    return QStringLiteral("放送局: ") +
           (recording.station.isEmpty() ? QStringLiteral("（不明）") : recording.station) +
           QStringLiteral("\nアドレス: ") + recording.address + QStringLiteral("\n開始: ") +
           recording.started.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")) + QStringLiteral("（経過 ") +
           elapsed(recording.started.secsTo(now)) + QStringLiteral("）\n録音フォルダ: ") + recording.folder +
           QStringLiteral("\n書き込み済み: ") +
           QLocale(QLocale::Japanese).formattedDataSize(Recordings::bytesWritten(recording)) +
           QStringLiteral("\n現在の曲: ") + (track.isEmpty() ? QStringLiteral("（まだありません）") : track);
}

RecordingsWindow::RecordingsWindow(Platform& platform)
    : QWidget(nullptr, Qt::Window), m_platform(platform), m_rows(new QVBoxLayout), m_empty(new QLabel(QStringLiteral("録音していません。")))
{
    setWindowTitle(caption());
    setWindowIcon(QIcon(QStringLiteral(":/sora/SoraWindowEX.png")));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* inner = new QWidget;
    inner->setLayout(m_rows);
    m_rows->addWidget(m_empty);
    m_rows->addStretch(1);
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setWidget(inner);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);
    resize(520, 320);
}

void RecordingsWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refresh(m_platform.recordings.running());
}

void RecordingsWindow::refresh(const QList<Recording>& recordings)
{
    QStringList ids;
    for (const Recording& r : recordings)
        ids.append(r.id);
    if (ids != m_shownIds)
        rebuild(recordings);
    const QDateTime now = QDateTime::currentDateTime();
    for (qsizetype i = 0; i < recordings.size() && i < m_details.size(); ++i)
        m_details[i]->setText(RecordingDetails(recordings[i], now));
}

void RecordingsWindow::rebuild(const QList<Recording>& recordings)
{
    while (m_rows->count() > 2) {
        QLayoutItem* item = m_rows->takeAt(1);
        delete item->widget();
        delete item;
    }
    m_details.clear();
    m_shownIds.clear();
    m_empty->setVisible(recordings.isEmpty());
    int row = 1;
    for (const Recording& r : recordings) {
        m_shownIds.append(r.id);
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
        connect(stopButton, &QPushButton::clicked, this, [this, r, stopButton] {
            stopButton->setEnabled(false);
            stop(r);
        });
        connect(open, &QPushButton::clicked, this, [r] {
            const QString station = Recordings::stationFolderPath(r);
            QDesktopServices::openUrl(QUrl::fromLocalFile(station.isEmpty() ? r.folder : station));
        });
        m_details.append(details);
        m_rows->insertWidget(row++, frame);
    }
}

void RecordingsWindow::stop(const Recording& recording)
{
    QString error;
    if (!m_platform.recordings.stop(recording, &error)) {
        m_platform.messages.show(this, QStringLiteral("録音を停止できません。\r\n") + error, MsgButtons::Ok,
                                 MsgIcon::Information);
        refresh(m_platform.recordings.running());
        return;
    }
    emit stopped(recording.id);
}

} // namespace sora
