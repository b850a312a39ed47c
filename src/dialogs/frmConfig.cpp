#include "frmConfig.h"

#include "IntervalText.h"
#include "app/Cp932.h"
#include "app/Globals.h"
#include "app/Settings.h"
#include "platform/FolderChooser.h"
#include "platform/Fonts.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "platform/Twips.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace sora {

frmConfig::frmConfig(Platform& platform, const QWidget& main)
    : FixedDialog(QStringLiteral("設定"), Border::Dialog, ClientWidth, ClientHeight), txtRecFolder(new QLineEdit(this)), Label2(new QLabel(QStringLiteral("録音フォルダ"), this)),
      cmdDir1(new QPushButton(QStringLiteral("開く"), this)),
      cmdMinus(new QPushButton(QStringLiteral("▼"), this)),
      cmdPlus(new QPushButton(QStringLiteral("▲"), this)), txt_TimeInterval(new QLineEdit(this)),
      Label1(new QLabel(QStringLiteral("分毎に番組表を更新する"), this)), m_platform(platform)
{
    setWindowIcon(main.windowIcon());
    // What a screen reader says for the boxes and the arrow buttons, whose texts tell it nothing.
    txtRecFolder->setAccessibleName(Label2->text());
    txt_TimeInterval->setAccessibleName(QStringLiteral("更新間隔（分）"));
    cmdPlus->setAccessibleName(QStringLiteral("更新間隔を増やす"));
    cmdMinus->setAccessibleName(QStringLiteral("更新間隔を減らす"));
    cmdDir1->setAccessibleName(QStringLiteral("録音フォルダを開く"));
    cmdMinus->setFont(msGothic(6));
    cmdPlus->setFont(msGothic(6));
    for (QLabel* label : {Label2, Label1})
        label->setTextFormat(Qt::PlainText);
    // No default button: Enter in a box must not open the chooser or step the interval.
    for (QPushButton* button : {cmdDir1, cmdMinus, cmdPlus}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    twips::place(txtRecFolder, 30, 1200, 9135, 375);
    twips::place(Label2, 30, 810, 1275, 315);
    twips::place(cmdDir1, 9240, 1200, 525, 405);
    twips::place(cmdMinus, 570, 270, 435, 195);
    twips::place(cmdPlus, 570, 90, 435, 195);
    twips::place(txt_TimeInterval, 60, 60, 495, 375);
    twips::place(Label1, 1080, 180, 2415, 285);
    setTabOrder(txtRecFolder, cmdDir1);
    setTabOrder(cmdDir1, cmdMinus);
    setTabOrder(cmdMinus, cmdPlus);
    setTabOrder(cmdPlus, txt_TimeInterval);
    txtRecFolder->setFocus();

    centreOnScreenOf(main);

    connect(cmdPlus, &QPushButton::clicked, this, &frmConfig::cmdPlus_Click);
    connect(cmdMinus, &QPushButton::clicked, this, &frmConfig::cmdMinus_Click);
    connect(cmdDir1, &QPushButton::clicked, this, &frmConfig::cmdDir1_Click);

    Form_Load();
}

void frmConfig::Form_Load()
{
    txtRecFolder->setText(gRecFolder);
    txt_TimeInterval->setText(QString::number(gTimeInterval));
}

void frmConfig::cmdPlus_Click()
{
    txt_TimeInterval->setText(stepIntervalUp(txt_TimeInterval->text()));
}

void frmConfig::cmdMinus_Click()
{
    txt_TimeInterval->setText(stepIntervalDown(txt_TimeInterval->text()));
}

void frmConfig::cmdDir1_Click()
{
    const QString current = txtRecFolder->text();
    const QString chosen =
        m_platform.folders.choose(this, QStringLiteral("録音フォルダ設定"), current);
    // A cancelled chooser reports the box's own text: the box stays as it was.
    if (chosen == current)
        return;
    // Everything up to and including the last separator; nothing when there is none.
    txtRecFolder->setText(chosen.left(chosen.lastIndexOf(u'/') + 1));
}

std::optional<QString> frmConfig::inputProblem() const
{
    if (!intervalFromText(txt_TimeInterval->text()))
        return QStringLiteral("更新間隔は 32767 までの整数（分）で入力してください。");
    const QString folder = txtRecFolder->text();
    // The settings file holds code page 932 text, one value per line.
    if (!cp932::encode(folder) || folder.contains(u'\r') || folder.contains(u'\n'))
        return QStringLiteral("録音フォルダに使えない文字が含まれています。");
    return std::nullopt;
}

void frmConfig::Form_Unload(bool& cancel)
{
    MessageBoxes& messages = m_platform.messages;
    switch (
        messages.show(this, QStringLiteral("保存しますか？"), MsgButtons::YesNoCancel, MsgIcon::Question)) {
    case MsgResult::Yes:
        if (txtRecFolder->text().isEmpty()) {
            messages.show(this, QStringLiteral("保存パスは必ず設定してください。"), MsgButtons::Ok,
                          MsgIcon::Information);
            cancel = true;
            return;
        }
        // Typed text that cannot be kept is refused here, before anything is written or changed.
        if (const std::optional<QString> problem = inputProblem()) {
            messages.show(this, *problem, MsgButtons::Ok, MsgIcon::Information);
            cancel = true;
            return;
        }
        SaveConfig();
        return;
    case MsgResult::No:
        return;
    case MsgResult::Cancel:
    case MsgResult::Ok:
        cancel = true;
        return;
    }
}

void frmConfig::SaveConfig()
{
    const bool written = WriteSetting(QStringLiteral("Setting"), QStringLiteral("RF"), txtRecFolder->text());
    gRecFolder = txtRecFolder->text();
    // The interval reaches the file with the rest of the state at exit.
    if (const std::optional<qint16> interval = intervalFromText(txt_TimeInterval->text()))
        gTimeInterval = *interval;
    if (!written)
        SettingsWriteFailed(m_platform.messages, m_platform.end);
}

void frmConfig::closeEvent(QCloseEvent* event)
{
    bool cancel = false;
    Form_Unload(cancel);
    if (cancel)
        event->ignore();
    else
        event->accept();
}

} // namespace sora
