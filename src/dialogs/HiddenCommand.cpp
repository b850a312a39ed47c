#include "HiddenCommand.h"

#include "Module2.h"
#include "platform/MessageBoxes.h"

#include <QDir>

namespace sora {

namespace {

// p r e m i u m o r b
constexpr std::array<qint32, 10> kSequence = {'P', 'R', 'E', 'M', 'I', 'U', 'M', 'O', 'R', 'B'};

constexpr qint16 kFired = 10;

} // namespace

void HiddenCommand::Load()
{
    mKeyPos = 0;
    for (std::size_t i = 0; i < kSequence.size(); ++i)
        mHiddenKeys[i] = static_cast<qint16>(kSequence[i]);
}

void HiddenCommand::CheckHiddenKey(qint16 keyCode)
{
    // Position 10 compares with entry 10, and 0 is no key: both only start over. The bounds also
    // keep a position that went wrong from reading past the table.
    const bool inTable = mKeyPos >= 0 && mKeyPos <= kFired;
    if (inTable && keyCode != 0 && keyCode == mHiddenKeys[static_cast<std::size_t>(mKeyPos)])
        ++mKeyPos;
    else
        mKeyPos = 0;
    if (mKeyPos < kFired)
        return;
    if (m_fire)
        m_fire();
}

void FireHiddenCommand(MessageBoxes& messages, const QString& programFolder, QWidget* parent)
{
    messages.show(parent,
                  QStringLiteral("次回から、Premiumバージョンとして起動します。\r\n"
                                 "変更を有効にするため、アプリケーションを再起動してください。\r\n"
                                 "また、Readme2.txtを参照してください。"),
                  MsgButtons::Ok, MsgIcon::Information);
    QString why;
    if (WriteReadme(programFolder, &why))
        return;
    messages.show(parent,
                  QStringLiteral("readme2.txtを作成できませんでした。\r\n%1\r\n%2\r\n"
                                 "プログラムのフォルダに書き込めるか確認してください。")
                      .arg(QDir::toNativeSeparators(ReadmePath(programFolder)), why),
                  MsgButtons::Ok, MsgIcon::Exclamation);
}

} // namespace sora
