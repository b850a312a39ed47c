#include "ScheduleWindow.h"

#include "app/Globals.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "platform/WallClock.h"
#include "station/ScheduleRunner.h"
#include "station/UrlValue.h"
#include "station/RecorderCommand.h"
#include "station/RecordingCheck.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QUrl>
#include <QVBoxLayout>

namespace sora {

namespace {

const QStringList kRepeats = {QStringLiteral("1 回だけ"), QStringLiteral("毎日"),
                              QStringLiteral("平日（月～金）"), QStringLiteral("曜日を指定")};
const QString kDays = QStringLiteral("月火水木金土日");

// A field under its label, named as the label says for screen readers.
template <typename W> W* named(W* widget, const QString& name)
{
    widget->setAccessibleName(name);
    return widget;
}

} // namespace

ScheduleEditor::ScheduleEditor(Platform& platform, const ScheduleEntry& entry, QWidget* parent)
    : QDialog(parent), station(named(new QLineEdit(entry.address), QStringLiteral("放送局"))),
      startEdit(named(new QDateTimeEdit(entry.start), QStringLiteral("開始"))),
      endEdit(named(new QTimeEdit(EndTime(entry.start.time(), entry.minutes)), QStringLiteral("終了"))),
      lengthEdit(named(new QSpinBox, QStringLiteral("長さ"))),
      repeatEdit(named(new QComboBox, QStringLiteral("繰り返し"))),
      enabledBox(named(new QCheckBox(QStringLiteral("有効")), QStringLiteral("有効"))), m_platform(platform),
      m_entry(entry)
{
    setWindowTitle(QStringLiteral("予約の編集"));
    station->setPlaceholderText(QStringLiteral("放送局のページのアドレス"));
    startEdit->setDisplayFormat(QStringLiteral("yyyy/MM/dd HH:mm"));
    startEdit->setCalendarPopup(true);
    endEdit->setDisplayFormat(QStringLiteral("HH:mm"));
    lengthEdit->setRange(1, 24 * 60);
    lengthEdit->setSuffix(QStringLiteral(" 分"));
    lengthEdit->setValue(entry.minutes);
    repeatEdit->addItems(kRepeats);
    repeatEdit->setCurrentIndex(static_cast<int>(entry.repeat));
    enabledBox->setChecked(entry.enabled);

    // The end and the length say the same: an end before the start is the next day.
    connect(endEdit, &QTimeEdit::timeChanged, this, [this](const QTime& end) {
        const QSignalBlocker block(lengthEdit);
        lengthEdit->setValue(MinutesBetween(startEdit->time(), end));
    });
    const auto followLength = [this] {
        const QSignalBlocker block(endEdit);
        endEdit->setTime(EndTime(startEdit->time(), lengthEdit->value()));
    };
    connect(lengthEdit, &QSpinBox::valueChanged, this, followLength);
    connect(startEdit, &QDateTimeEdit::dateTimeChanged, this, followLength);

    auto* days = new QHBoxLayout;
    for (int i = 0; i < 7; ++i) {
        auto* box = new QCheckBox(kDays.at(i));
        box->setAccessibleName(kDays.at(i) + QStringLiteral("曜日"));
        box->setChecked(entry.days & (1 << i));
        days->addWidget(box);
        dayBoxes.append(box);
    }
    const auto daysShown = [this] {
        for (QCheckBox* box : std::as_const(dayBoxes))
            box->setEnabled(repeatEdit->currentIndex() == static_cast<int>(ScheduleEntry::Repeat::Days));
    };
    connect(repeatEdit, &QComboBox::currentIndexChanged, this, daysShown);
    daysShown();

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("放送局"), station);
    form->addRow(QStringLiteral("開始"), startEdit);
    form->addRow(QStringLiteral("終了"), endEdit);
    form->addRow(QStringLiteral("長さ"), lengthEdit);
    form->addRow(QStringLiteral("繰り返し"), repeatEdit);
    form->addRow(QString(), days);
    form->addRow(QString(), enabledBox);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void ScheduleEditor::accept()
{
    const QString address = station->text().trimmed();
    // The address must give what 録音 needs, told as 録音 tells it.
    const RecorderCommand command = BuildRecorderCommand(address, m_platform.program.folder(), gRecFolder);
    if (const std::optional<QString> problem = StationValueProblem(command.serv, command.port)) {
        m_platform.messages.show(this, QStringLiteral("予約できません。\r\n") + *problem, MsgButtons::Ok,
                                 MsgIcon::Information);
        return;
    }
    ScheduleEntry e = m_entry;
    if (address != e.address) // a pasted address: named as its page names the station
        e.station = QUrl::fromPercentEncoding(GetUrlValue(address, QStringLiteral("&title=")).toUtf8());
    e.address = address;
    e.start = QDateTime(startEdit->date(), QTime(startEdit->time().hour(), startEdit->time().minute()));
    e.minutes = lengthEdit->value();
    e.repeat = static_cast<ScheduleEntry::Repeat>(repeatEdit->currentIndex());
    e.days = 0;
    for (int i = 0; i < dayBoxes.size(); ++i)
        if (dayBoxes[i]->isChecked())
            e.days |= 1 << i;
    if (e.repeat == ScheduleEntry::Repeat::Days && e.days == 0) {
        m_platform.messages.show(this, QStringLiteral("予約できません。\r\n録音する曜日を選んでください。"),
                                 MsgButtons::Ok, MsgIcon::Information);
        return;
    }
    e.enabled = enabledBox->isChecked();
    // Changed, it starts afresh: what aired before is not missed, a window open now starts.
    e.handled = QDateTime();
    m_entry = e;
    QDialog::accept();
}

ScheduleWindow::ScheduleWindow(Platform& platform, ScheduleRunner& runner,
                               std::function<std::pair<QString, QString>()> current)
    : QWidget(nullptr, Qt::Window), m_platform(platform), m_runner(runner), m_current(std::move(current)),
      m_list(new QListWidget)
{
    setWindowTitle(caption());
    setWindowIcon(QIcon(QStringLiteral(":/sora/SoraWindowEX.png")));
    setAttribute(Qt::WA_DeleteOnClose);
    m_list->setAccessibleName(caption());
    auto* addButton = new QPushButton(QStringLiteral("追加"));
    auto* editButton = new QPushButton(QStringLiteral("編集"));
    auto* removeButton = new QPushButton(QStringLiteral("削除"));
    connect(addButton, &QPushButton::clicked, this, &ScheduleWindow::add);
    connect(editButton, &QPushButton::clicked, this, &ScheduleWindow::edit);
    connect(removeButton, &QPushButton::clicked, this, &ScheduleWindow::remove);
    connect(m_list, &QListWidget::itemActivated, this, &ScheduleWindow::edit);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(addButton);
    buttons->addWidget(editButton);
    buttons->addWidget(removeButton);
    buttons->addStretch(1);
    auto* note = new QLabel(QStringLiteral("予約はソラマドが起動している間だけ録音されます。"));
    note->setWordWrap(true);
    auto* top = new QHBoxLayout;
    top->addWidget(m_list, 1);
    top->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(note);
    resize(560, 300);
    refresh();
}

void ScheduleWindow::refresh()
{
    const int row = m_list->currentRow();
    m_list->clear();
    const QList<ScheduleEntry>& entries = m_runner.entries();
    QSet<int> overlapping;
    for (const auto& [a, b] : Overlaps(entries, m_platform.clock.now())) {
        overlapping.insert(a);
        overlapping.insert(b);
    }
    for (int i = 0; i < entries.size(); ++i)
        m_list->addItem(entries[i].name() + QStringLiteral("　") + EntryText(entries[i]) +
                        (entries[i].enabled ? QString() : QStringLiteral("（無効）")) +
                        (overlapping.contains(i) ? QStringLiteral("（重複）") : QString()));
    m_list->setCurrentRow(std::min(row, static_cast<int>(m_list->count()) - 1));
}

void ScheduleWindow::add()
{
    ScheduleEntry entry;
    if (m_current) {
        const auto [name, address] = m_current();
        entry.station = name;
        entry.address = address;
    }
    // The next whole minute, an hour long.
    const QDateTime now = m_platform.clock.now();
    entry.start = QDateTime(now.date(), QTime(now.time().hour(), now.time().minute())).addSecs(60);
    openEditor(entry, -1);
}

void ScheduleWindow::edit()
{
    const int row = m_list->currentRow();
    if (row >= 0 && row < m_runner.entries().size())
        openEditor(m_runner.entries().at(row), row);
}

void ScheduleWindow::remove()
{
    const int row = m_list->currentRow();
    if (row < 0 || row >= m_runner.entries().size())
        return;
    if (m_platform.messages.show(
            this, QStringLiteral("この予約を削除しますか？\r\n") + m_runner.entries().at(row).name(),
            MsgButtons::YesNo, MsgIcon::Question) != MsgResult::Yes)
        return;
    QList<ScheduleEntry> entries = m_runner.entries();
    entries.removeAt(row);
    save(entries, -1);
}

void ScheduleWindow::openEditor(const ScheduleEntry& entry, int index)
{
    if (m_editor)
        return m_editor->raise();
    m_editor = new ScheduleEditor(m_platform, entry, this);
    m_editor->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_editor, &QDialog::accepted, this, [this, index] {
        QList<ScheduleEntry> entries = m_runner.entries();
        if (index < 0 || index >= entries.size()) {
            entries.append(m_editor->entry());
            save(entries, static_cast<int>(entries.size()) - 1);
        } else {
            entries[index] = m_editor->entry();
            save(entries, index);
        }
    });
    m_editor->open();
}

void ScheduleWindow::save(QList<ScheduleEntry> entries, int changed)
{
    QString error;
    if (!m_runner.setEntries(entries, &error)) {
        m_platform.messages.show(this, error, MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    refresh();
    if (changed < 0)
        return;
    m_list->setCurrentRow(changed);
    QStringList others;
    for (const auto& [a, b] : Overlaps(entries, m_platform.clock.now()))
        if (a == changed || b == changed)
            others.append(entries[a == changed ? b : a].name() + QStringLiteral("　") +
                          EntryText(entries[a == changed ? b : a]));
    if (!others.isEmpty())
        m_platform.messages.show(this,
                                 QStringLiteral("この予約は次の予約と時間が重なっています。同じ放送局は 1 "
                                                "回だけ録音し、ほかの放送局は並べて録音します。\r\n") +
                                     others.join(QStringLiteral("\r\n")),
                                 MsgButtons::Ok, MsgIcon::Information);
}

} // namespace sora
