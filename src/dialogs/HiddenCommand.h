#pragma once

#include <QString>
#include <QtGlobal>

#include <array>
#include <functional>

class QWidget;

namespace sora {

class MessageBoxes;

// The hidden command of the reload-interval dialog: ten key-downs in a row in its box, "premiumorb"
// typed without Shift, announce recording mode and write readme2.txt.
class HiddenCommand
{
public:
    explicit HiddenCommand(std::function<void()> fire) : m_fire(std::move(fire)) {}

    // The dialog's load step: the sequence filled afresh, nothing matched yet.
    void Load();
    // One key-down of the box, by its virtual-key code. A key that breaks the sequence starts
    // over from its next key: it never counts as the first key of a new attempt.
    void CheckHiddenKey(qint16 keyCode);

    // Entries 0 to 9 are the sequence. Entry 10 stays 0, which no key delivers, so the key after
    // a firing only starts over.
    std::array<qint16, 11> mHiddenKeys{};
    qint16 mKeyPos = 0;

private:
    std::function<void()> m_fire;
};

// The firing: tells the user that the next start is in recording mode, then writes the readme.
// A readme that cannot be written is reported, and the program goes on.
void FireHiddenCommand(MessageBoxes& messages, const QString& programFolder, QWidget* parent);

} // namespace sora
