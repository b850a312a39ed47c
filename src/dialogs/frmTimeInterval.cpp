#include "frmTimeInterval.h"

#include "IntervalText.h"
#include "app/Globals.h"
#include "platform/Fonts.h"
#include "platform/KeyCodes.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "platform/Twips.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace sora {

frmTimeInterval::frmTimeInterval(Platform& platform, const QWidget& main)
    : FixedDialog(QStringLiteral("タイマー設定"), Border::ToolWindow, 3285, 540),
      txt_TimeInterval(new QLineEdit(this)),
      Label1(new QLabel(QStringLiteral("分毎に番組表を更新する"), this)),
      cmdPlus(new QPushButton(QStringLiteral("▲"), this)),
      cmdMinus(new QPushButton(QStringLiteral("▼"), this)), mHidden([this] {
          FireHiddenCommand(m_platform.messages, m_platform.program.folder(), this);
      }),
      m_platform(platform)
{
    twips::place(txt_TimeInterval, 60, 30, 495, 375);
    twips::place(Label1, 1080, 150, 2415, 285);
    twips::place(cmdPlus, 570, 60, 435, 195);
    twips::place(cmdMinus, 570, 240, 435, 195);
    cmdPlus->setFont(msGothic(6));
    cmdMinus->setFont(msGothic(6));
    // Return in the box must not press a button: the dialog has no default button.
    cmdPlus->setAutoDefault(false);
    cmdMinus->setAutoDefault(false);
    setTabOrder(txt_TimeInterval, cmdPlus);
    setTabOrder(cmdPlus, cmdMinus);
    txt_TimeInterval->setFocus();
    // What a screen reader says for the box and the arrow buttons, whose texts tell it nothing.
    txt_TimeInterval->setAccessibleName(QStringLiteral("更新間隔（分）"));
    cmdPlus->setAccessibleName(QStringLiteral("更新間隔を増やす"));
    cmdMinus->setAccessibleName(QStringLiteral("更新間隔を減らす"));

    connect(cmdPlus, &QPushButton::clicked, this, &frmTimeInterval::cmdPlus_Click);
    connect(cmdMinus, &QPushButton::clicked, this, &frmTimeInterval::cmdMinus_Click);
    txt_TimeInterval->installEventFilter(this);

    centreOn(main.frameGeometry().center());

    Form_Load();
}

void frmTimeInterval::Form_Load()
{
    txt_TimeInterval->setText(QString::number(gTimeInterval));
    mLoadedInterval = gTimeInterval;
    mHidden.Load();
}

void frmTimeInterval::cmdPlus_Click()
{
    txt_TimeInterval->setText(stepIntervalUp(txt_TimeInterval->text()));
}

void frmTimeInterval::cmdMinus_Click()
{
    txt_TimeInterval->setText(stepIntervalDown(txt_TimeInterval->text()));
}

void frmTimeInterval::Form_Unload(int& /*cancel*/)
{
    MessageBoxes& messages = m_platform.messages;
    const std::optional<qint16> typed = intervalFromText(txt_TimeInterval->text());
    if (typed && *typed == mLoadedInterval)
        return;
    // Typed text that is no whole number, or too large for the interval, is never taken over.
    if (!typed) {
        messages.show(this,
                      QStringLiteral("入力された値は更新間隔として使えないため、保存しません。\r\n"
                                     "更新間隔は分単位の整数で入力してください。"),
                      MsgButtons::Ok, MsgIcon::Information);
        return;
    }
    if (messages.show(this, QStringLiteral("変更を保存しますか？"), MsgButtons::YesNo, MsgIcon::Question) ==
        MsgResult::Yes)
        gTimeInterval = *typed;
}

void frmTimeInterval::txt_TimeInterval_KeyDown(qint16 keyCode, int /*shift*/)
{
    mHidden.CheckHiddenKey(keyCode);
}

bool frmTimeInterval::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txt_TimeInterval && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        txt_TimeInterval_KeyDown(static_cast<qint16>(windowsVirtualKey(*key)),
                                 windowsShiftState(key->modifiers()));
    }
    return QDialog::eventFilter(watched, event); // the box still gets the key
}

void frmTimeInterval::closeEvent(QCloseEvent* event)
{
    int cancel = 0;
    Form_Unload(cancel);
    event->accept();
}

} // namespace sora
