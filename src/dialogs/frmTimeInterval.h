#pragma once

#include "HiddenCommand.h"

#include "FixedDialog.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace sora {

struct Platform;

// The reload-interval dialog ("タイマー設定"), shown by "設定" outside recording mode. The
// interval is taken over only when the dialog closes and the user agrees. Its box also takes
// the hidden key sequence.
class frmTimeInterval final : public FixedDialog
{
    Q_OBJECT
public:
    // Placed by `main`; messages, files and the end of the process go through `platform`.
    frmTimeInterval(Platform& platform, const QWidget& main);

    void Form_Load();
    void cmdPlus_Click();
    void cmdMinus_Click();
    // The dialog always closes: `cancel` is never set.
    void Form_Unload(int& cancel);
    // Every key-down of the box, modifiers and repeats included; the key itself goes on unchanged.
    void txt_TimeInterval_KeyDown(qint16 keyCode, int shift);

    QLineEdit* const txt_TimeInterval;
    QLabel* const Label1;
    QPushButton* const cmdPlus;
    QPushButton* const cmdMinus;

    // gTimeInterval when the dialog loaded.
    qint16 mLoadedInterval = 0;
    // The hidden command's matcher: mHiddenKeys and mKeyPos.
    HiddenCommand mHidden;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Platform& m_platform;
};

} // namespace sora
